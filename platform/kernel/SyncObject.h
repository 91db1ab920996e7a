// The handle of a mutex or an event: one use of its block for as long as the handle is open.
#pragma once

#include "SyncBlock.h"

#include "platform/win/Sync.h"

namespace platform {

class SyncObject : public KernelObject, public IWaitable {
public:
    explicit SyncObject(SyncBlock* block) : block_(block) {}
    ~SyncObject() override { block_->DropUse(); }
    SyncObject(const SyncObject&) = delete;
    SyncObject& operator=(const SyncObject&) = delete;

protected:
    SyncCell& Cell() const { return block_->Cell(); }

    SyncBlock* const block_;
};

} // namespace platform
