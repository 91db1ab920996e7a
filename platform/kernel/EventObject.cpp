#include "EventObject.h"

#include "Futex.h"

namespace platform {

DWORD EventObject::Wait(DWORD timeoutMs)
{
    SyncCell& cell = Cell();
    const Deadline deadline(timeoutMs);
    for (;;) {
        const uint32_t seen = cell.sequence.load();
        if (TryTake() == Take::Yes)
            return WAIT_OBJECT_0;
        if (deadline.Passed())
            return WAIT_TIMEOUT;
        FutexWait(cell.sequence, seen, deadline.Remaining());
    }
}

IWaitable::Take EventObject::TryTake()
{
    SyncCell& cell = Cell();
    if (cell.manualReset)
        return cell.signaled.load() ? Take::Yes : Take::No;
    uint32_t signaled = 1;
    return cell.signaled.compare_exchange_strong(signaled, 0) ? Take::Yes : Take::No;
}

void EventObject::GiveBack()
{
    if (!Cell().manualReset)
        Signal();
}

void EventObject::Signal()
{
    SyncCell& cell = Cell();
    cell.signaled.store(1);
    cell.sequence.fetch_add(1);
    FutexWakeAll(cell.sequence);
}

void EventObject::Set()
{
    Signal();
    NotifyWaiters();
}

void EventObject::Reset() { Cell().signaled.store(0); }

} // namespace platform
