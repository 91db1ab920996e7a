#include "MutexObject.h"

#include "Futex.h"

#include "platform/win/Errors.h"

#include <cerrno>

namespace platform {

IWaitable::Take MutexObject::Taken(int rc)
{
    if (rc == EOWNERDEAD) {
        pthread_mutex_consistent(&Cell().mutex);
        block_->AddUse();
        return Take::Abandoned;
    }
    if (rc == 0) {
        block_->AddUse();
        return Take::Yes;
    }
    return Take::No;
}

DWORD MutexObject::Wait(DWORD timeoutMs)
{
    pthread_mutex_t* mutex = &Cell().mutex;
    const Deadline deadline(timeoutMs);
    int rc;
    if (deadline.Infinite()) {
        rc = pthread_mutex_lock(mutex);
    } else {
        const timespec until = deadline.Monotonic();
        rc = pthread_mutex_clocklock(mutex, CLOCK_MONOTONIC, &until);
    }
    switch (Taken(rc)) {
    case Take::Yes: return WAIT_OBJECT_0;
    case Take::Abandoned: return WAIT_ABANDONED;
    case Take::No: break;
    }
    if (rc == ETIMEDOUT)
        return WAIT_TIMEOUT;
    SetLastError(ErrorFromErrno(rc));
    return WAIT_FAILED;
}

IWaitable::Take MutexObject::TryTake() { return Taken(pthread_mutex_trylock(&Cell().mutex)); }

void MutexObject::GiveBack()
{
    if (pthread_mutex_unlock(&Cell().mutex) == 0)
        block_->DropUse();
}

bool MutexObject::Release()
{
    if (pthread_mutex_unlock(&Cell().mutex) != 0) {
        SetLastError(ERROR_NOT_OWNER);
        return false;
    }
    block_->DropUse();
    NotifyWaiters();
    return true;
}

} // namespace platform
