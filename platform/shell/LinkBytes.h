// Reading the shell-link format's little-endian numbers and zero-terminated texts out of a block of
// bytes, every read checked against the block's bounds, so that a damaged file gives "not there"
// and never a read past its end.
#pragma once

#include "platform/win/Types.h"

#include <string>
#include <string_view>

namespace platform::shell {

// The number of width bytes (at most 4) at the offset; false when they run past the block.
bool ReadLittle(std::string_view bytes, size_t at, size_t width, DWORD& value);
// The same, 0 when they run past the block.
DWORD LittleAt(std::string_view bytes, size_t at, size_t width);
std::string Little(size_t width, DWORD value);
// Overwrites width bytes at the offset, which the caller knows to be inside the block.
void PutLittle(std::string& bytes, size_t at, size_t width, DWORD value);

// The bytes of the zero-terminated ANSI text at the offset, without the terminator; false when the
// offset is 0 (the format's "none"), outside the block, or the text has no terminator in it.
bool AnsiAt(std::string_view bytes, size_t offset, std::string& text);
// The same for a zero-terminated UTF-16LE text.
bool WideAt(std::string_view bytes, size_t offset, std::wstring& text);

} // namespace platform::shell
