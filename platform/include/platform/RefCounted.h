// The reference count of the layer's COM objects; the object deletes itself at zero.
#pragma once

#include "platform/win/Errors.h"
#include "platform/win/Unknown.h"

#include <atomic>

#pragma GCC visibility push(default)

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

// Hands a new object (null: out of memory) out through the interface asked for; the caller's
// reference is then the only one.
template <class Object>
HRESULT HandOut(Object* made, REFIID riid, void** object)
{
    if (!made)
        return E_OUTOFMEMORY;
    const HRESULT result = made->QueryInterface(riid, object);
    made->Release();
    return result;
}

} // namespace platform

#pragma GCC visibility pop
