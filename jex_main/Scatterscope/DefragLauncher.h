// Running the defragmenter through the maker's launcher spawn, which makes it print English, ends
// it with exit code -2 when the run's cancel event is signalled, and otherwise passes its exit code
// on. Its output comes through a pipe.
#pragma once

#include "common/OpResult.h"

#include <string>

struct CWorkerSlot;

// Runs the defragmenter command line on the worker's slot and hands back what it printed. Kind 10
// when it was cancelled, a failure when it exited with another non-zero code.
OpResult RunLauncher(const std::wstring& command, CWorkerSlot* slot, std::string& output);

// The pause after each run of a controller that runs alone (Windows XP and older): 2 seconds,
// shorter in tests.
void SetSerialRunPauseMs(DWORD milliseconds);
