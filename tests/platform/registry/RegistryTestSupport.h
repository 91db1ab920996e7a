// Small helpers the registry tests share: keys that close themselves, strings and numbers in
// and out of values.
#pragma once

#include "platform/Windows.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace registry_test {

class Key {
public:
    Key() = default;
    explicit Key(HKEY key) : key_(key) {}
    ~Key() { Close(); }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;

    HKEY* Out() { Close(); return &key_; }
    HKEY Get() const { return key_; }
    operator HKEY() const { return key_; }
    void Close()
    {
        if (key_)
            RegCloseKey(key_);
        key_ = nullptr;
    }

private:
    HKEY key_ = nullptr;
};

inline LSTATUS Create(Key& key, HKEY root, const wchar_t* path, REGSAM access = KEY_ALL_ACCESS, DWORD* disposition = nullptr)
{
    return RegCreateKeyExW(root, path, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, key.Out(), disposition);
}

inline LSTATUS Open(Key& key, HKEY root, const wchar_t* path, REGSAM access = KEY_READ)
{
    return RegOpenKeyExW(root, path, 0, access, key.Out());
}

// Writes the text with its terminator, as Windows programs write REG_SZ data.
inline LSTATUS SetString(HKEY key, const wchar_t* name, const std::wstring& text, DWORD type = REG_SZ)
{
    return RegSetValueExW(key, name, 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

inline LSTATUS SetDword(HKEY key, const wchar_t* name, DWORD value)
{
    return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
}

// The value's data as host text, exactly as long as the data (terminators included); "" with
// the failure recorded when it cannot be read.
inline std::wstring QueryText(HKEY key, const wchar_t* name, DWORD* type = nullptr)
{
    DWORD size = 0;
    if (RegQueryValueExW(key, name, nullptr, type, nullptr, &size) != ERROR_SUCCESS) {
        ADD_FAILURE() << "value cannot be read";
        return std::wstring();
    }
    std::wstring text(size / sizeof(wchar_t), L'\0');
    EXPECT_EQ(RegQueryValueExW(key, name, nullptr, type, reinterpret_cast<BYTE*>(text.data()), &size), ERROR_SUCCESS);
    return text;
}

inline DWORD QueryDword(HKEY key, const wchar_t* name)
{
    DWORD value = 0;
    DWORD size = sizeof(value);
    EXPECT_EQ(RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size), ERROR_SUCCESS);
    return value;
}

// The names of the key's subkeys, or of its values, in the order the registry lists them.
inline std::vector<std::wstring> Names(HKEY key, bool ofValues)
{
    std::vector<std::wstring> names;
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
        DWORD chars = 256;
        const LSTATUS status = ofValues ? RegEnumValueW(key, i, name, &chars, nullptr, nullptr, nullptr, nullptr)
                                        : RegEnumKeyExW(key, i, name, &chars, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS)
            return names;
        EXPECT_EQ(status, ERROR_SUCCESS);
        names.emplace_back(name, chars);
    }
}

inline bool Exists(HKEY root, const wchar_t* path, REGSAM view = 0)
{
    Key key;
    return Open(key, root, path, KEY_READ | view) == ERROR_SUCCESS;
}

} // namespace registry_test
