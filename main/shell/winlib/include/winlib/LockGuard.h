// Holds a lock from its making to the end of its scope; a null lock is not held.
#pragma once

#include "winlib/MyLock.h"

class CLockGuard {
public:
    explicit CLockGuard(IMyLock* lock);
    ~CLockGuard();
    CLockGuard(const CLockGuard&) = delete;
    CLockGuard& operator=(const CLockGuard&) = delete;

private:
    IMyLock* lock_;
};
