#include "RegistryReads.h"

#include <algorithm>
#include <cstring>

namespace registry_reads {

bool ReadKeyCounts(HKEY key, DWORD& subKeys, DWORD& values)
{
    subKeys = 0;
    values = 0;
    return RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values, nullptr, nullptr,
                            nullptr, nullptr) == ERROR_SUCCESS;
}

LSTATUS ReadNameAt(HKEY key, DWORD index, bool valueNames, std::wstring& name)
{
    wchar_t buffer[kNameChars] = {};
    DWORD chars = kNameChars;
    const LSTATUS status = valueNames
                               ? RegEnumValueW(key, index, buffer, &chars, nullptr, nullptr, nullptr, nullptr)
                               : RegEnumKeyExW(key, index, buffer, &chars, nullptr, nullptr, nullptr, nullptr);
    name.clear();
    if (status == ERROR_SUCCESS)
        name.assign(buffer, std::min<DWORD>(chars, kNameChars - 1));
    return status;
}

bool ReadTextValue(HKEY key, const std::wstring& name, std::wstring& text)
{
    wchar_t buffer[kNameChars] = {};
    DWORD bytes = sizeof(buffer);
    if (RegQueryValueExW(key, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &bytes) != ERROR_SUCCESS)
        return false;
    const size_t chars = std::min<size_t>(bytes / sizeof(wchar_t), kNameChars);
    text.assign(buffer, std::find(buffer, buffer + chars, L'\0'));
    return true;
}

bool HoldsOnlyEmptyDefault(HKEY key)
{
    wchar_t name[kNameChars] = {};
    DWORD nameChars = kNameChars;
    wchar_t data[kNameChars] = {};
    DWORD bytes = sizeof(data);
    if (RegEnumValueW(key, 0, name, &nameChars, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &bytes) != ERROR_SUCCESS)
        return false;
    return nameChars == 0 && (bytes == 0 || data[0] == L'\0');
}

} // namespace registry_reads
