// The stand-alone clean-up program's main routine and its helpers: one copy at a time (the
// instance mutex), a second copy's request to the running copy's window, a quit event through
// which an uninstaller ends a copy without a window, the start modes, and the elevated restart.
#pragma once

#include "platform/win/Types.h"
#include "platform/win/WindowManager.h"

#include <QString>
#include <QStringList>

// The one data byte of the WM_COPYDATA message by which a second copy hands its request to the
// running copy's window.
enum CopyRequest : BYTE { CopyShow = 0, CopyQuit = 1, CopyOpen = 2 };

// The program's entry routine: prepares the process (before any application exists) and runs the
// main routine with the runtime's arguments.
int HostWinMain(int argc, char** argv);
// The program's main routine: the program's arguments in, its exit code out (2 when the user was
// told that the gatherers or the junk rules cannot be loaded).
int HostMain(int argc, char** argv);

// A named mutex (owned by the caller) or a manual-reset event (not signalled) that every user may
// open; null on failure. The last error tells whether it existed already.
HANDLE HostCreateNamedObject(const wchar_t* name, bool isEvent);
// Creates the instance mutex (kept for the process's life); true when another copy holds it.
bool HostCheckSingleInstance();
// Sends the request to the running copy's window; its answer.
LRESULT HostSendCopyRequest(HWND window, CopyRequest request);
bool HostIsAdmin();
// Ends a process of the machine with exit code 0; true when it was ended.
bool HostKillProcess(unsigned processId);
// The junk and large-file gatherers; false when either is missing. The volume lister and the
// defragmentation controllers are loaded as well; without them the disk page stays empty.
bool HostLoadGatherers();
// The translation file of the product language, relative to the pictures' folder.
QString HostLoadTranslation();
void HostRestartElevated();

// This copy's quit event, null before HostMain made it.
HANDLE HostQuitEvent();
// Makes this copy's quit event; a quit left signalled by an earlier run is cleared when this copy
// is the only one. Returns the event.
HANDLE HostCreateQuitEvent(bool onlyCopy);
// Signals the quit event of a running copy; false when none holds it.
bool HostSignalQuit();

// The background mode's arguments: minutes (a whole number) and megabytes (a number), neither
// negative; false when either is not.
bool HostParseCheckArgs(const QStringList& args, int& minutes, double& thresholdMB);
