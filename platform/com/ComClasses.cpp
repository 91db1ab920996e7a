#include "platform/win/Com.h"

#include "ClassServer.h"
#include "ComApartment.h"
#include "shell/ShellLinkObject.h"

#include "platform/RefCounted.h"

#include <cwctype>
#include <new>

const IID IID_IClassFactory = {0x00000001, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

namespace {

// Hands out the object for an interface it answers (every object answers IUnknown).
template <class Object>
HRESULT Answer(Object* self, REFIID riid, void** object, bool answers)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (!answers && !IsEqualIID(riid, IID_IUnknown))
        return E_NOINTERFACE;
    *object = self;
    self->AddRef();
    return S_OK;
}

// An object of a class whose server cannot run here: it has no interface beyond IUnknown.
class CStandInInstance : public platform::RefCounted<IUnknown> {
public:
    HRESULT QueryInterface(REFIID riid, void** object) override { return Answer(this, riid, object, false); }
};

HRESULT CreateStandInInstance(REFIID riid, void** object)
{
    return platform::HandOut(new (std::nothrow) CStandInInstance, riid, object);
}

using InstanceMaker = HRESULT (*)(REFIID riid, void** object);

// The class object of one class: its instances come from the maker.
class CClassObject : public platform::RefCounted<IClassFactory> {
public:
    explicit CClassObject(InstanceMaker make) : make_(make) {}

    HRESULT QueryInterface(REFIID riid, void** object) override
    {
        return Answer(this, riid, object, IsEqualIID(riid, IID_IClassFactory));
    }

    HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** object) override
    {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        return make_(riid, object);
    }

    HRESULT LockServer(BOOL) override { return S_OK; }

private:
    const InstanceMaker make_;
};

// The classes the layer serves itself, in process, as the shell's own library serves them on
// Windows; no registration is looked at for them.
InstanceMaker BuiltInClass(REFCLSID classId, DWORD classContext)
{
    if ((classContext & CLSCTX_INPROC_SERVER) && IsEqualIID(classId, CLSID_ShellLink))
        return platform::CreateShellLinkObject;
    return nullptr;
}

bool HexDigits(const wchar_t* text, size_t count, uint64_t& value)
{
    value = 0;
    for (size_t i = 0; i < count; ++i) {
        const auto c = static_cast<wint_t>(text[i]);
        if (!std::iswxdigit(c))
            return false;
        const wchar_t lower = static_cast<wchar_t>(std::towlower(c));
        value = value * 16 + static_cast<uint64_t>(lower <= L'9' ? lower - L'0' : lower - L'a' + 10);
    }
    return true;
}

// The identifier of "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}"; false for any other text.
bool ParseBracedGuid(const wchar_t* text, GUID& guid)
{
    size_t length = 0;
    while (length < 39 && text[length])
        ++length;
    if (length != 38 || text[0] != L'{' || text[37] != L'}' || text[9] != L'-' || text[14] != L'-' ||
        text[19] != L'-' || text[24] != L'-')
        return false;
    uint64_t data1 = 0, data2 = 0, data3 = 0, clock = 0, node = 0;
    if (!HexDigits(text + 1, 8, data1) || !HexDigits(text + 10, 4, data2) || !HexDigits(text + 15, 4, data3) ||
        !HexDigits(text + 20, 4, clock) || !HexDigits(text + 25, 12, node))
        return false;
    guid.Data1 = static_cast<uint32_t>(data1);
    guid.Data2 = static_cast<uint16_t>(data2);
    guid.Data3 = static_cast<uint16_t>(data3);
    guid.Data4[0] = static_cast<uint8_t>(clock >> 8);
    guid.Data4[1] = static_cast<uint8_t>(clock);
    for (int i = 0; i < 6; ++i)
        guid.Data4[2 + i] = static_cast<uint8_t>(node >> (8 * (5 - i)));
    return true;
}

} // namespace

HRESULT CLSIDFromString(LPCOLESTR text, CLSID* classId)
{
    if (!classId)
        return E_INVALIDARG;
    *classId = CLSID{};
    if (text && ParseBracedGuid(text, *classId))
        return S_OK;
    *classId = CLSID{};
    return CO_E_CLASSSTRING;
}

HRESULT CoGetClassObject(REFCLSID classId, DWORD classContext, LPVOID, REFIID riid, LPVOID* object)
{
    if (!object)
        return E_INVALIDARG;
    *object = nullptr;
    if (!platform::InApartment())
        return CO_E_NOTINITIALIZED;
    InstanceMaker make = BuiltInClass(classId, classContext);
    if (!make) {
        const HRESULT found = platform::FindClassServer(classId, classContext);
        if (FAILED(found))
            return found;
        make = CreateStandInInstance;
    }
    return platform::HandOut(new (std::nothrow) CClassObject(make), riid, object);
}

HRESULT CoCreateInstance(REFCLSID classId, IUnknown* outer, DWORD classContext, REFIID riid, LPVOID* object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    IClassFactory* factory = nullptr;
    const HRESULT got = CoGetClassObject(classId, classContext, nullptr, IID_IClassFactory,
                                         reinterpret_cast<void**>(&factory));
    if (FAILED(got))
        return got;
    const HRESULT made = factory->CreateInstance(outer, riid, object);
    factory->Release();
    return made;
}
