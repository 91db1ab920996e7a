#include "Language.h"

#include "platform/Text.h"

#include <cstring>

namespace {

struct KnownLanguage {
    const char* value;
    LanguageInfo info;
};

const KnownLanguage kKnown[] = {
    {"Chinese", {"zh", MAKELANGID(0x04, 2)}},    {"Japanese", {"ja", MAKELANGID(0x11, 1)}},
    {"German", {"de", MAKELANGID(0x07, 1)}},     {"Spanish", {"es", MAKELANGID(0x0a, 1)}},
    {"French", {"fr", MAKELANGID(0x0c, 1)}},     {"Polish", {"pl", MAKELANGID(0x15, 1)}},
    {"Portuguese", {"pt", MAKELANGID(0x16, 1)}}, {"Dutch", {"nl", MAKELANGID(0x13, 1)}},
    {"Italian", {"it", MAKELANGID(0x10, 1)}},    {"ChineseTrad", {"tw", MAKELANGID(0x7c04, 1)}},
    {"Danish", {"da", MAKELANGID(0x06, 1)}},
};

const LanguageInfo kDefault = {"en", MAKELANGID(0x00, 1)};

// The value as the installer writes it: a string of at most 259 characters.
constexpr size_t kValueChars = MAX_PATH;

} // namespace

LONG ReadProductLanguage(std::string& value)
{
    value.clear();
    HKEY key = nullptr;
    LONG status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\ORVANE\\ZLR", 0, KEY_READ, &key);
    if (status != ERROR_SUCCESS)
        return status;
    wchar_t data[kValueChars] = {};
    DWORD size = sizeof(data) - sizeof(wchar_t);
    DWORD type = REG_NONE;
    status = RegQueryValueExW(key, L"Language", nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS)
        return status;
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        return ERROR_INVALID_DATA;
    value = platform::ToUtf8(data);
    return ERROR_SUCCESS;
}

LanguageInfo LanguageOf(const std::string& value)
{
    for (const KnownLanguage& known : kKnown)
        if (value == known.value)
            return known.info;
    return kDefault;
}

LanguageInfo ProductLanguage()
{
    std::string value;
    ReadProductLanguage(value);
    return LanguageOf(value);
}
