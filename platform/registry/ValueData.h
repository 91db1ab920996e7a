// Value data between the caller's form and the stored form. Windows keeps string data (REG_SZ,
// REG_EXPAND_SZ, REG_MULTI_SZ) in UTF-16LE with the terminators the writer gave; callers here
// hand over and receive host wchar_t text, and every size they see is in host bytes. Data of
// every other type is kept byte for byte.
#pragma once

#include "platform/win/Types.h"

#include <string>

namespace platform::registry {

bool IsTextType(DWORD type);

// The stored form of what a caller wrote: whole host characters of text (a trailing partial
// character cannot be converted and is left out), other data as given.
std::string StoredFromHost(DWORD type, const BYTE* data, DWORD bytes);

// What a caller reads back: the stored text as host characters, exactly as stored (no
// terminator added), other data as stored.
std::string HostFromStored(DWORD type, const std::string& stored);

// Stored text as host text, and host text as the bytes a caller receives.
std::wstring StoredText(const std::string& stored);
std::string HostBytes(const std::wstring& text);

} // namespace platform::registry
