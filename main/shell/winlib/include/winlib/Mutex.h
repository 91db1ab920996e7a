// An unnamed Windows mutex behind the lock interface: recursive for the thread that owns it,
// unseen by other processes.
#pragma once

#include "winlib/MyLock.h"

#include "platform/Windows.h"

class Mutex : public IMyLock {
public:
    Mutex();
    ~Mutex() override;
    Mutex(const Mutex&) = delete;
    Mutex& operator=(const Mutex&) = delete;

    // Waits without a time limit.
    void Lock() override;
    void Unlock() override;

private:
    HANDLE handle_ = nullptr;
};
