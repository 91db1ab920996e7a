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

    // Called as the last handle of this process to the mutex closes: abandons it when the closing
    // thread, or a thread that ended, owns it. False when a live thread of this process owns it, so
    // that its block must stay mapped.
    static bool LetGo(SyncCell& cell);

private:
    // The outcome of a lock attempt, kept in the cell's owner and depth.
    Take Taken(int rc);
    // Undoes one take by the calling thread; false when it does not own the mutex.
    bool Untake();
};

} // namespace platform
