#include "platform/Text.h"

#include <algorithm>
#include <clocale>
#include <cwctype>
#include <locale.h>

namespace platform {

namespace {

constexpr char32_t kReplacement = 0xFFFD;


} // namespace

void AppendUtf8(std::string& out, char32_t c)
{
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        c = kReplacement;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string ToUtf8(const std::wstring& text)
{
    std::string out;
    out.reserve(text.size());
    for (wchar_t w : text)
        AppendUtf8(out, static_cast<char32_t>(w));
    return out;
}

std::string ToUtf8(const wchar_t* text) { return text ? ToUtf8(std::wstring(text)) : std::string(); }

std::wstring FromUtf8(const std::string& text)
{
    std::wstring out;
    out.reserve(text.size());
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const size_t n = text.size();
    size_t i = 0;
    while (i < n) {
        const unsigned char b = p[i];
        int extra = 0;
        char32_t c = 0;
        if (b < 0x80) {
            c = b;
        } else if ((b & 0xE0) == 0xC0) {
            c = b & 0x1F;
            extra = 1;
        } else if ((b & 0xF0) == 0xE0) {
            c = b & 0x0F;
            extra = 2;
        } else if ((b & 0xF8) == 0xF0) {
            c = b & 0x07;
            extra = 3;
        } else {
            out += static_cast<wchar_t>(kReplacement);
            ++i;
            continue;
        }
        bool ok = true;
        for (int k = 1; k <= extra; ++k) {
            if (i + k >= n || (p[i + k] & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            c = (c << 6) | (p[i + k] & 0x3F);
        }
        const bool overlong = (extra == 1 && c < 0x80) || (extra == 2 && c < 0x800) || (extra == 3 && c < 0x10000);
        if (!ok || overlong || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
            out += static_cast<wchar_t>(kReplacement);
            ++i;
            continue;
        }
        out += static_cast<wchar_t>(c);
        i += static_cast<size_t>(extra) + 1;
    }
    return out;
}

std::wstring FromUtf8(const char* text) { return text ? FromUtf8(std::string(text)) : std::wstring(); }

std::u16string ToUtf16(const std::wstring& text)
{
    std::u16string out;
    out.reserve(text.size());
    for (wchar_t w : text) {
        auto c = static_cast<char32_t>(w);
        if (c > 0x10FFFF)
            c = kReplacement;
        if (c >= 0x10000) {
            c -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (c >> 10));
            out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
    }
    return out;
}

std::wstring FromUtf16(const std::u16string& text)
{
    std::wstring out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t u = text[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            const char32_t c = 0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            out += static_cast<wchar_t>(c);
            ++i;
        } else {
            // A lone surrogate stays as it is, as Windows keeps it in its wide strings.
            out += static_cast<wchar_t>(u);
        }
    }
    return out;
}

std::string ToUtf16LEBytes(const std::wstring& text)
{
    const std::u16string units = ToUtf16(text);
    std::string bytes;
    bytes.resize(units.size() * 2);
    for (size_t i = 0; i < units.size(); ++i) {
        bytes[2 * i] = static_cast<char>(units[i] & 0xFF);
        bytes[2 * i + 1] = static_cast<char>(units[i] >> 8);
    }
    return bytes;
}

std::wstring FromUtf16LEBytes(const void* data, size_t bytes)
{
    const auto* p = static_cast<const unsigned char*>(data);
    std::u16string units;
    units.resize(bytes / 2);
    for (size_t i = 0; i < units.size(); ++i)
        units[i] = static_cast<char16_t>(p[2 * i] | (p[2 * i + 1] << 8));
    return FromUtf16(units);
}

namespace {

// Upper case independent of the process's locale (the C locale only knows ASCII).
wint_t Upper(wchar_t c)
{
    if (c < 0x80)
        return (c >= L'a' && c <= L'z') ? static_cast<wint_t>(c - 32) : static_cast<wint_t>(c);
    static const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    return utf8 ? towupper_l(static_cast<wint_t>(c), utf8) : static_cast<wint_t>(c);
}

} // namespace

std::wstring UpperCase(const std::wstring& text)
{
    std::wstring out(text);
    for (auto& c : out)
        c = static_cast<wchar_t>(Upper(c));
    return out;
}

int CompareIgnoringCase(std::wstring_view a, std::wstring_view b)
{
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const auto ca = Upper(a[i]);
        const auto cb = Upper(b[i]);
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool EqualsIgnoringCase(std::wstring_view a, std::wstring_view b)
{
    return a.size() == b.size() && CompareIgnoringCase(a, b) == 0;
}

} // namespace platform
