// The download of an update: the package that machine.ini names in [Renewer] UpdatePackage (a
// Windows or host path) is copied to the product's temporary folder as "Draviels.zip".
#pragma once

#include <string>

// The product's temporary folder is the one the main program looks in: the temporary folder
// followed by "Orvane\Quarnel\".
//
// Copies the package whole or not at all; an earlier "Draviels.zip" is removed first, so that the
// file's presence afterwards always means this download succeeded. Empty on success, otherwise
// why it failed.
std::string DownloadUpdatePackage();
