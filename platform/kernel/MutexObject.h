// A mutex handle: ownership is the robust recursive pthread mutex of its block, held by the owning
// thread, so the host hands it on with EOWNERDEAD when the owner ends.
#pragma once

#include "SyncObject.h"

namespace platform {

class MutexObject : public SyncObject {
public:
    using SyncObject::SyncObject;

    DWORD Wait(DWORD timeoutMs) override;
    Take TryTake() override;
    void GiveBack() override;
    bool Release();

private:
    // The outcome of a lock attempt; ownership counts as a use of the block.
    Take Taken(int rc);
};

} // namespace platform
