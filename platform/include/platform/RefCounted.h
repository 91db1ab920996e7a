// The reference count of the layer's COM objects; the object deletes itself at zero.
#pragma once

#include "platform/win/Types.h"

#include <atomic>

namespace platform {

template <class Interface>
class RefCounted : public Interface {
public:
    ULONG AddRef() override { return ++count_; }
    ULONG Release() override
    {
        const ULONG left = --count_;
        if (left == 0)
            delete this;
        return left;
    }

protected:
    virtual ~RefCounted() = default;

private:
    std::atomic<ULONG> count_{1};
};

} // namespace platform
