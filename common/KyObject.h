// The reference-counted root of every object that crosses a deliverable boundary, and the check
// flag that gatherers' categories and found items carry. An object is destroyed only through its
// own Release, so its memory always goes back to the heap of the deliverable that made it.
#pragma once

#include "platform/Windows.h"

#include <atomic>

class IKyObject {
public:
    // Born owned by its creator, who hands this first reference on without adding another.
    IKyObject() = default;
    IKyObject(const IKyObject&) = delete;
    IKyObject& operator=(const IKyObject&) = delete;

    virtual long AddRef() { return ++refCount_; }

    // At zero the object runs its final-release hook and then deletes itself; the value returned
    // then carries no meaning.
    virtual long Release()
    {
        const LONG remaining = --refCount_;
        if (remaining != 0)
            return remaining;
        OnFinalRelease();
        delete this;
        return 0;
    }

    virtual void OnFinalRelease() {}

    virtual ~IKyObject() = default;

private:
    std::atomic<LONG> refCount_{1};
};

class ICheckStateProc : public virtual IKyObject {
public:
    explicit ICheckStateProc(int checkState) : checkState_(checkState) {}

    // One call per toggle by the user; pages toggle only while no scan or deletion runs, so a
    // plain read-modify-write is enough.
    virtual void ChangeCheckState() { checkState_ = checkState_ ? 0 : 1; }
    virtual void OnCheckChanged(int) {}

    int GetCheckState() const { return checkState_; }

private:
    int checkState_;
};
