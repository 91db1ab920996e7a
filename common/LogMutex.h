// The named mutex that serialises every writer of a log file, across threads and processes.
#pragma once

#include "platform/Windows.h"

#include <string>

// "Global\_log_<flag>_<name>": flag 0 for the temporary folder, 1 for the program folder; an
// absent name leaves nothing after the last underscore.
std::wstring MakeLogMutexName(bool inProgramFolder, const wchar_t* name);

class CLogMutex {
public:
    CLogMutex() = default;
    ~CLogMutex() { Close(); }
    CLogMutex(const CLogMutex&) = delete;
    CLogMutex& operator=(const CLogMutex&) = delete;

    // Creates the mutex not owned, or opens the existing one of that name.
    void Create(const std::wstring& name);
    void Wait();
    void Release();
    void Close();

private:
    // Null when the mutex could not be made; the log is then written without the lock rather
    // than lost.
    HANDLE handle_ = nullptr;
};

class CLogMutexLock {
public:
    explicit CLogMutexLock(CLogMutex& mutex) : mutex_(mutex) { mutex_.Wait(); }
    ~CLogMutexLock() { mutex_.Release(); }
    CLogMutexLock(const CLogMutexLock&) = delete;
    CLogMutexLock& operator=(const CLogMutexLock&) = delete;

private:
    CLogMutex& mutex_;
};
