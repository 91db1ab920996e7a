// The handle of a mutex or an event: one use of its block for as long as the handle is open.
#pragma once

#include "SyncBlock.h"

#include "platform/win/Sync.h"

namespace platform {

class SyncObject : public KernelObject, public IWaitable {
public:
    SyncObject(SyncBlock* block, bool inheritable) : block_(block), inheritable_(inheritable) {}
    ~SyncObject() override { block_->DropUse(); }
    SyncObject(const SyncObject&) = delete;
    SyncObject& operator=(const SyncObject&) = delete;

    // Whether a child started with handle inheritance is handed this handle.
    bool Inheritable() const { return inheritable_; }
    void SetInheritable(bool inheritable) { inheritable_ = inheritable; }
    const SyncBlock& Block() const { return *block_; }

protected:
    SyncCell& Cell() const { return block_->Cell(); }

    SyncBlock* const block_;

private:
    std::atomic<bool> inheritable_;
};

} // namespace platform
