// The junk monitor of the demo machine: settings that let a background analysis soon find the
// demo's junk and remind of it, and the start-up assistant's description and pack in the user's
// resource folder (no web service answers on the demo machine, so the pack stays the installed
// one).
#pragma once

#include <string>

// programFolder: the host folder the demo runs the program from. False when a file could not be
// written.
bool MakeDemoMonitor(const std::string& programFolder);
