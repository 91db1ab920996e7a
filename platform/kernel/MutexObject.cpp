#include "MutexObject.h"

#include "Futex.h"

#include "platform/win/Errors.h"

#include <cerrno>
#include <csignal>
#include <unistd.h>

namespace platform {

IWaitable::Take MutexObject::Taken(int rc)
{
    SyncCell& cell = Cell();
    if (rc == EOWNERDEAD) {
        pthread_mutex_consistent(&cell.mutex);
        cell.depth = 1;
        cell.ownerThread = gettid();
        cell.abandoned = 0;
        return Take::Abandoned;
    }
    if (rc != 0)
        return Take::No;
    if (++cell.depth == 1) {
        cell.ownerThread = gettid();
        if (cell.abandoned != 0) {
            cell.abandoned = 0;
            return Take::Abandoned;
        }
    }
    return Take::Yes;
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

bool MutexObject::Untake()
{
    SyncCell& cell = Cell();
    if (cell.ownerThread != gettid() || cell.depth == 0)
        return false;
    if (--cell.depth == 0)
        cell.ownerThread = 0;
    return pthread_mutex_unlock(&cell.mutex) == 0;
}

void MutexObject::GiveBack() { Untake(); }

bool MutexObject::Release()
{
    if (!Untake()) {
        SetLastError(ERROR_NOT_OWNER);
        return false;
    }
    NotifyWaiters();
    return true;
}

bool MutexObject::LetGo(SyncCell& cell)
{
    const int rc = pthread_mutex_trylock(&cell.mutex);
    if (rc == EBUSY) {
        // owned by a live thread: of this process (its robust list leads here), or of another
        const pid_t owner = cell.ownerThread;
        return owner == 0 || tgkill(getpid(), owner, 0) != 0;
    }
    if (rc == EOWNERDEAD) {
        pthread_mutex_consistent(&cell.mutex);
        cell.abandoned = 1;
    } else if (rc == 0 && cell.depth > 0) {
        cell.abandoned = 1; // this thread owned it
    } else if (rc != 0) {
        return true;
    }
    cell.depth = 0;
    cell.ownerThread = 0;
    // Waiters are not told through the machine's pulse: this may run as the process ends, after the
    // pulse's statics are gone, and a waiter sees an abandoned mutex as it sees one whose owner died.
    while (pthread_mutex_unlock(&cell.mutex) == 0) {
    }
    return true;
}

} // namespace platform
