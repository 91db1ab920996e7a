#include "winlib/LockGuard.h"

CLockGuard::CLockGuard(IMyLock* lock) : lock_(lock)
{
    if (lock_)
        lock_->Lock();
}

CLockGuard::~CLockGuard()
{
    if (lock_)
        lock_->Unlock();
}
