// Conversions between the host's wide text (UTF-32 wchar_t), UTF-8 and Windows' UTF-16LE.
#pragma once

#include <string>
#include <string_view>

#pragma GCC visibility push(default)

namespace platform {

std::string ToUtf8(const std::wstring& text);
std::string ToUtf8(const wchar_t* text);
std::wstring FromUtf8(const std::string& text);
std::wstring FromUtf8(const char* text);
// Appends one code point as UTF-8; one that no UTF-8 can hold becomes U+FFFD.
void AppendUtf8(std::string& out, char32_t c);

// Windows' wide format as it reaches files, registry data and the wire.
std::u16string ToUtf16(const std::wstring& text);
std::wstring FromUtf16(const std::u16string& text);
std::string ToUtf16LEBytes(const std::wstring& text);
std::wstring FromUtf16LEBytes(const void* data, size_t bytes);

// Windows' case-insensitive comparison (ordinal, upper-cased) used for names of keys, files and
// INI sections.
std::wstring UpperCase(const std::wstring& text);
bool EqualsIgnoringCase(std::wstring_view a, std::wstring_view b);
int CompareIgnoringCase(std::wstring_view a, std::wstring_view b);

} // namespace platform

#pragma GCC visibility pop
