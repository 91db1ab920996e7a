// Reads .reg text ("Windows Registry Editor Version 5.00") into the changes it describes, so
// that a damaged file is refused before anything is changed.
#pragma once

#include "RegistryPath.h"

#include "platform/win/Types.h"

#include <string>
#include <vector>

namespace platform::registry {

struct RegChange {
    enum Kind { CreateKey, DeleteKey, SetValue, DeleteValue } kind = CreateKey;
    KeyPath key;        // physical path (HKEY_CLASSES_ROOT already resolved)
    std::wstring name;  // value name; "" is the default value
    DWORD type = 0;
    std::string data;   // stored form (string data in UTF-16LE)
};

// The changes in the text, in order; false with a message naming the line when it is damaged.
bool ParseRegText(const std::wstring& text, std::vector<RegChange>& changes, std::wstring& error);

} // namespace platform::registry
