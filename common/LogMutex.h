// The named mutex that serialises every writer of a log file, across threads and processes.
#pragma once

#include "platform/Windows.h"

#include <string>

// "Global\_log_<flag>_<name>": flag 0 for the temporary folder, 1 for the program folder; an
// absent name leaves nothing after the last underscore.
std::wstring MakeLogMutexName(bool inProgramFolder, const wchar_t* name);

// How long a writer waits for a log's mutex before it writes without it, unless changed: any
// process of the machine, the machine's user's too, can hold the mutex for as long as it likes. Once
// a wait for a mutex has run out, the process's writers wait no longer for that mutex until they get
// it again, so that a mutex held for good costs one wait, not one a line. Tests shorten it.
constexpr DWORD LOG_MUTEX_PATIENCE_MS = 3000;
void SetLogMutexPatience(DWORD milliseconds);

class CLogMutex {
public:
    CLogMutex() = default;
    ~CLogMutex() { Close(); }
    CLogMutex(const CLogMutex&) = delete;
    CLogMutex& operator=(const CLogMutex&) = delete;

    // Creates the mutex not owned, or opens the existing one of that name.
    void Create(const std::wstring& name);
    // Whether the mutex is now held (also where its holder ended without letting go of it).
    bool Wait();
    void Release();
    void Close();

private:
    // Null when the mutex could not be made; the log is then written without the lock rather
    // than lost.
    HANDLE handle_ = nullptr;
    std::wstring name_;
};

class CLogMutexLock {
public:
    explicit CLogMutexLock(CLogMutex& mutex) : mutex_(mutex), held_(mutex.Wait()) {}
    ~CLogMutexLock()
    {
        if (held_)
            mutex_.Release();
    }
    CLogMutexLock(const CLogMutexLock&) = delete;
    CLogMutexLock& operator=(const CLogMutexLock&) = delete;

private:
    CLogMutex& mutex_;
    const bool held_;
};
