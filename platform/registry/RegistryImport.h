// .reg text into the store, shared by the seeding functions and the store's first layout.
#pragma once

#include "RegistryStore.h"

#include <string>

namespace platform::registry {

// The text of a .reg file in UTF-16LE with its byte-order mark, or UTF-8; false with a message
// when it cannot be read.
bool ReadRegFile(const std::string& hostPath, std::wstring& text, std::wstring& error);

// Parses the text and applies it inside the caller's write transaction: all or (for damaged
// text, reported in error) nothing.
bool ImportInto(RegistryStore& store, const std::wstring& text, std::wstring& error);

} // namespace platform::registry
