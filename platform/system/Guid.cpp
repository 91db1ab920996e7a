#include "platform/win/SystemInfo.h"

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <sys/random.h>

namespace {

bool NewRandomGuid(GUID* guid)
{
    unsigned char bytes[16];
    size_t filled = 0;
    while (filled < sizeof(bytes)) {
        const ssize_t got = getrandom(bytes + filled, sizeof(bytes) - filled, 0);
        if (got <= 0)
            return false;
        filled += static_cast<size_t>(got);
    }
    guid->Data1 = static_cast<uint32_t>(bytes[0]) << 24 | static_cast<uint32_t>(bytes[1]) << 16 |
                  static_cast<uint32_t>(bytes[2]) << 8 | bytes[3];
    guid->Data2 = static_cast<uint16_t>(bytes[4] << 8 | bytes[5]);
    // Version 4 (random) and the RFC 4122 variant.
    guid->Data3 = static_cast<uint16_t>(((bytes[6] & 0x0F) | 0x40) << 8 | bytes[7]);
    guid->Data4[0] = static_cast<uint8_t>((bytes[8] & 0x3F) | 0x80);
    for (int i = 1; i < 8; ++i)
        guid->Data4[i] = bytes[8 + i];
    return true;
}

// The 36 characters of a GUID's text form, in upper or lower case.
std::wstring GuidText(const GUID& guid, bool upper)
{
    wchar_t text[40];
    const wchar_t* format = upper ? L"%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X"
                                  : L"%08x-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x";
    std::swprintf(text, 40, format, static_cast<unsigned>(guid.Data1), guid.Data2, guid.Data3, guid.Data4[0],
                  guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5], guid.Data4[6],
                  guid.Data4[7]);
    return text;
}

} // namespace

HRESULT CoCreateGuid(GUID* guid)
{
    if (!guid)
        return E_INVALIDARG;
    return NewRandomGuid(guid) ? S_OK : E_FAIL;
}

RPC_STATUS UuidCreate(UUID* uuid)
{
    if (!uuid)
        return ERROR_INVALID_PARAMETER;
    return NewRandomGuid(uuid) ? RPC_S_OK : static_cast<RPC_STATUS>(ERROR_NOT_ENOUGH_MEMORY);
}

int StringFromGUID2(REFGUID guid, LPOLESTR text, int size)
{
    const std::wstring braced = L"{" + GuidText(guid, true) + L"}";
    if (!text || size <= static_cast<int>(braced.size()))
        return 0;
    std::wmemcpy(text, braced.c_str(), braced.size() + 1);
    return static_cast<int>(braced.size() + 1);
}

RPC_STATUS UuidToStringW(const UUID* uuid, RPC_WSTR* text)
{
    if (!text)
        return ERROR_INVALID_PARAMETER;
    const std::wstring plain = GuidText(uuid ? *uuid : UUID{}, false);
    auto* copy = static_cast<wchar_t*>(std::malloc((plain.size() + 1) * sizeof(wchar_t)));
    if (!copy)
        return ERROR_OUTOFMEMORY;
    std::wmemcpy(copy, plain.c_str(), plain.size() + 1);
    *text = copy;
    return RPC_S_OK;
}

RPC_STATUS RpcStringFreeW(RPC_WSTR* text)
{
    if (text) {
        std::free(*text);
        *text = nullptr;
    }
    return RPC_S_OK;
}
