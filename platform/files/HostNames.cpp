#include "HostNames.h"

#include "platform/Text.h"

namespace platform::files {

namespace {

constexpr wchar_t kEscapeBase = 0xF000;

// The bytes that a Windows name holds as escapes: the characters Windows forbids in a name and
// every byte that is not part of a UTF-8 character.
bool IsEscaped(unsigned char byte)
{
    switch (byte) {
    case '\\': case ':': case '*': case '?': case '"': case '<': case '>': case '|': return true;
    default: return byte < 0x20 || byte >= 0x80;
    }
}

bool IsEscape(wchar_t c) { return c >= kEscapeBase && c <= kEscapeBase + 0xFF && IsEscaped(static_cast<unsigned char>(c - kEscapeBase)); }

// The length of the well-formed UTF-8 character at text[i] and its code point; 0 when there is none.
size_t DecodeCharacter(const std::string& text, size_t i, char32_t& c)
{
    const auto lead = static_cast<unsigned char>(text[i]);
    size_t length = 0;
    if (lead < 0x80) {
        c = lead;
        return 1;
    }
    if ((lead & 0xE0) == 0xC0) {
        c = lead & 0x1F;
        length = 2;
    } else if ((lead & 0xF0) == 0xE0) {
        c = lead & 0x0F;
        length = 3;
    } else if ((lead & 0xF8) == 0xF0) {
        c = lead & 0x07;
        length = 4;
    } else {
        return 0;
    }
    if (i + length > text.size())
        return 0;
    for (size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[i + k]);
        if ((next & 0xC0) != 0x80)
            return 0;
        c = (c << 6) | (next & 0x3F);
    }
    const bool overlong = (length == 2 && c < 0x80) || (length == 3 && c < 0x800) || (length == 4 && c < 0x10000);
    if (overlong || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return 0;
    return length;
}

} // namespace

std::wstring WindowsName(const std::string& hostName)
{
    std::wstring name;
    name.reserve(hostName.size());
    size_t i = 0;
    while (i < hostName.size()) {
        char32_t c = 0;
        const size_t length = DecodeCharacter(hostName, i, c);
        const bool plain = length > 0 && !(length == 1 && IsEscaped(static_cast<unsigned char>(c))) &&
                           !IsEscape(static_cast<wchar_t>(c));
        if (plain) {
            name += static_cast<wchar_t>(c);
            i += length;
            continue;
        }
        // A forbidden character, a stray byte, or a character that reads as an escape: byte by byte.
        for (size_t k = 0; k < (length ? length : 1); ++k)
            name += static_cast<wchar_t>(kEscapeBase + static_cast<unsigned char>(hostName[i + k]));
        i += length ? length : 1;
    }
    return name;
}

bool HostName(const std::wstring& windowsName, std::string& hostName)
{
    hostName.clear();
    return AppendHostName(windowsName.data(), windowsName.size(), hostName);
}

bool AppendHostName(const wchar_t* name, size_t length, std::string& hostName)
{
    for (size_t i = 0; i < length; ++i) {
        const wchar_t c = name[i];
        if (IsEscape(c)) {
            hostName += static_cast<char>(c - kEscapeBase);
            continue;
        }
        const auto code = static_cast<char32_t>(c);
        if (code < 0x80 && IsEscaped(static_cast<unsigned char>(code)))
            return false;
        if (code == '/' || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        AppendUtf8(hostName, code);
    }
    return true;
}

bool SingleHostName(const wchar_t* name, size_t length, std::string& hostName)
{
    if (!name || length == 0)
        return false;
    const std::wstring text(name, length);
    if (text == L"." || text == L".." || text.find_first_of(L"\\/") != std::wstring::npos)
        return false;
    return AppendHostName(name, length, hostName);
}

} // namespace platform::files
