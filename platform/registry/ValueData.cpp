#include "ValueData.h"

#include "platform/Text.h"
#include "platform/win/Registry.h"

#include <cstring>

namespace platform::registry {

bool IsTextType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

std::string StoredFromHost(DWORD type, const BYTE* data, DWORD bytes)
{
    if (!data || !bytes)
        return std::string();
    if (!IsTextType(type))
        return std::string(reinterpret_cast<const char*>(data), bytes);
    std::wstring text(bytes / sizeof(wchar_t), L'\0');
    std::memcpy(text.data(), data, text.size() * sizeof(wchar_t)); // the caller's buffer may be unaligned
    return ToUtf16LEBytes(text);
}

std::string HostFromStored(DWORD type, const std::string& stored)
{
    return IsTextType(type) ? HostBytes(StoredText(stored)) : stored;
}

std::wstring StoredText(const std::string& stored) { return FromUtf16LEBytes(stored.data(), stored.size()); }

std::string HostBytes(const std::wstring& text)
{
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

} // namespace platform::registry
