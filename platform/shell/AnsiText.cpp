#include "AnsiText.h"

#include "platform/Text.h"

#include <algorithm>

namespace platform::shell {

namespace {

// Code page 1252's characters for the bytes 0x80 to 0x9F; its unassigned bytes keep their value.
const char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

} // namespace

bool IsUtf8(const std::string& bytes)
{
    // The layer's decoder replaces what is not UTF-8 and folds overlong forms; only valid UTF-8
    // comes back byte for byte.
    return platform::ToUtf8(platform::FromUtf8(bytes)) == bytes;
}

bool IsAscii(const std::wstring& text)
{
    return std::all_of(text.begin(), text.end(), [](wchar_t c) { return c >= 0 && c < 0x80; });
}

std::wstring DecodeAnsi(const std::string& bytes)
{
    if (IsUtf8(bytes))
        return platform::FromUtf8(bytes);
    std::wstring text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const unsigned char byte = static_cast<unsigned char>(c);
        text += static_cast<wchar_t>(byte >= 0x80 && byte < 0xA0 ? kWindows1252High[byte - 0x80] : byte);
    }
    return text;
}

bool EncodeAnsi1252(const std::wstring& text, std::string& bytes)
{
    bytes.clear();
    bytes.reserve(text.size());
    for (const wchar_t c : text) {
        if ((c >= 0 && c < 0x80) || (c >= 0xA0 && c <= 0xFF)) {
            bytes += static_cast<char>(c);
            continue;
        }
        const auto* found = std::find(std::begin(kWindows1252High), std::end(kWindows1252High), static_cast<char16_t>(c));
        if (c > 0xFFFF || found == std::end(kWindows1252High))
            return false;
        bytes += static_cast<char>(0x80 + (found - std::begin(kWindows1252High)));
    }
    return true;
}

} // namespace platform::shell
