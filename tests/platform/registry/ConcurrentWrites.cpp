#include "ConcurrentWrites.h"

#include "platform/Windows.h"

namespace registry_test {

namespace {

LSTATUS CreateKey(const std::wstring& path, HKEY& key)
{
    return RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
}

} // namespace

int WriteConcurrently(const std::wstring& prefix, int count)
{
    int failures = 0;
    for (int i = 0; i < count; ++i) {
        const DWORD value = static_cast<DWORD>(i);
        const std::wstring name = prefix + std::to_wstring(i);
        HKEY shared = nullptr;
        if (CreateKey(kConcurrencyKey, shared) != ERROR_SUCCESS ||
            RegSetValueExW(shared, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value)) !=
                ERROR_SUCCESS)
            ++failures;
        HKEY own = nullptr;
        if (CreateKey(std::wstring(kConcurrencyKey) + L"\\" + prefix + L"\\" + std::to_wstring(i), own) != ERROR_SUCCESS)
            ++failures;
        RegCloseKey(shared);
        RegCloseKey(own);
    }
    return failures;
}

} // namespace registry_test
