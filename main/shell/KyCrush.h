// The crash filter of the main program: on a crash it has the maker's dump writer "dumper.exe"
// of the program folder record it, waits for it and lets the process end.
#pragma once

#include "platform/Windows.h"

class CKyCrush {
public:
    // Makes CrashFilter the process's unhandled exception filter.
    virtual void Install();
};

// 1 (the process ends) when the dump writer was started and has finished; 0 (the crash goes on to
// the system's default handling) without an exception record or when it could not be started.
LONG CrashFilter(EXCEPTION_POINTERS* exceptionInfo);
