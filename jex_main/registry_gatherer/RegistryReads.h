// The registry reads of the rules, into buffers of the sizes the rules use (260 characters for
// names and text values), never beyond them.
#pragma once

#include "platform/Windows.h"

#include <string>

namespace registry_reads {

constexpr DWORD kNameChars = MAX_PATH;

// False when the key's counts cannot be read.
bool ReadKeyCounts(HKEY key, DWORD& subKeys, DWORD& values);

// The name of a subkey or value at an index; ERROR_MORE_DATA for a name longer than the buffer,
// ERROR_NO_MORE_ITEMS past the last one. The name is empty unless the read succeeded.
LSTATUS ReadNameAt(HKEY key, DWORD index, bool valueNames, std::wstring& name);

// A value's data as text up to its first terminator or its end, whichever comes first (data
// without a terminator is taken as it stands). False when the value is missing or larger than
// the buffer.
bool ReadTextValue(HKEY key, const std::wstring& name, std::wstring& text);

// True when the key's only value is the default value and it is empty or begins with a zero
// character (the data read into a buffer of 260 characters).
bool HoldsOnlyEmptyDefault(HKEY key);

} // namespace registry_reads
