// A lock that can be held for a scope through CLockGuard.
#pragma once

class IMyLock {
public:
    virtual ~IMyLock() = default;
    virtual void Lock() = 0;
    virtual void Unlock() = 0;
};
