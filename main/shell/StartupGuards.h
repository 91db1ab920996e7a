// The checks the main program makes before it shows anything: the start-up lock that the
// installer or updater sets in "kyphtupdate.ini", the display scale, the start-up words of the
// command line and the single instance.
#pragma once

#include "platform/Windows.h"

#include <string>

// The folder of the running program (no trailing backslash); empty when its path holds no
// backslash.
std::wstring GetProgramFolder();

// Whether "kyphtupdate.ini" of the folder holds a non-zero "main" in section "block".
bool IsStartupLocked(const std::wstring& programFolder);
// Returns only when the lock is off; otherwise the process idles for good.
void WaitWhileStartupLocked(const std::wstring& programFolder);

// Qt's scale factor for a display of that height: one step per 810 lines, 0 below two steps.
unsigned ScaleFactorForHeight(DWORD height);
// Sets "QT_SCALE_FACTOR" from the current display mode when the factor is 2 or more.
void ApplyScaleFactor();

struct SStartupWords {
    bool autostart = false; // started at log-in: may stay hidden in the tray
    bool autoscan = false;  // started to analyse junk at once
};

// Only the whole first argument counts, compared case-sensitively.
SStartupWords ReadStartupWords(int argc, char** argv);

// Takes the named single-instance mutex for the rest of the process; true when another process
// holds it already (the handle just obtained is closed then). An empty name counts as free.
bool IsInstanceRunning(const wchar_t* mutexName);
