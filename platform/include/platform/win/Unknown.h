// The root of Windows' COM interfaces as the layer's shell objects implement it: interface
// identifiers, QueryInterface and a reference count that frees the object at zero.
#pragma once

#include "platform/win/Types.h"

#include <cstring>

#pragma GCC visibility push(default)

#define E_NOINTERFACE (static_cast<HRESULT>(0x80004002L))
#define E_POINTER (static_cast<HRESULT>(0x80004003L))

typedef GUID IID;
#define REFIID const IID&

inline bool IsEqualIID(REFIID a, REFIID b) { return std::memcmp(&a, &b, sizeof(IID)) == 0; }

class IUnknown {
public:
    virtual HRESULT QueryInterface(REFIID riid, void** object) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    ~IUnknown() = default;
};

extern const IID IID_IUnknown;

#pragma GCC visibility pop
