// An event handle: a signalled flag and a sequence word that waiters sleep on (a futex, also
// across processes), so a waiter that dies leaves nothing behind.
#pragma once

#include "SyncObject.h"

namespace platform {

class EventObject : public SyncObject {
public:
    using SyncObject::SyncObject;

    DWORD Wait(DWORD timeoutMs) override;
    Take TryTake() override;
    void GiveBack() override;
    void Set();
    void Reset();

private:
    void Signal();
};

} // namespace platform
