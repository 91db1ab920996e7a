#include "DarwinDescriptor.h"

#include "platform/win/Com.h"
#include "platform/win/Msi.h"

#include <cstdint>
#include <cwchar>

namespace platform::msi {

namespace {

constexpr size_t kCodeChars = 38;
constexpr size_t kPackedChars = 20;
constexpr size_t kDigitsPerWord = 5;
constexpr uint64_t kBase = 85;
const char kAlphabet[] = "!$%&'()*+,-.0123456789=?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[]^_`abcdefghijklmnopqrstuvwxyz{}~";
static_assert(sizeof(kAlphabet) - 1 == kBase);

int DigitOf(wchar_t c)
{
    for (size_t i = 0; i < kBase; ++i)
        if (static_cast<wchar_t>(kAlphabet[i]) == c)
            return static_cast<int>(i);
    return -1;
}

// The code packed into the 20 characters at the offset, in braces; false when they are no code.
bool Unpack(const std::wstring& text, size_t at, std::wstring& code)
{
    if (text.size() < at + kPackedChars)
        return false;
    uint32_t words[4] = {};
    for (size_t word = 0; word < 4; ++word) {
        uint64_t value = 0;
        for (size_t digit = kDigitsPerWord; digit-- > 0;) {
            const int d = DigitOf(text[at + word * kDigitsPerWord + digit]);
            if (d < 0)
                return false;
            value = value * kBase + static_cast<uint64_t>(d);
        }
        if (value > UINT32_MAX)
            return false;
        words[word] = static_cast<uint32_t>(value);
    }
    // The words are the code's 16 bytes in memory order: Data1, Data2 and Data3, then Data4.
    unsigned char bytes[16];
    for (size_t i = 0; i < 16; ++i)
        bytes[i] = static_cast<unsigned char>(words[i / 4] >> (8 * (i % 4)));
    wchar_t buffer[kCodeChars + 1];
    std::swprintf(buffer, kCodeChars + 1, L"{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned>(words[0]), static_cast<unsigned>(words[1] & 0xFFFF),
                  static_cast<unsigned>(words[1] >> 16), bytes[8], bytes[9], bytes[10], bytes[11], bytes[12],
                  bytes[13], bytes[14], bytes[15]);
    code = buffer;
    return true;
}

bool ParsePlain(const std::wstring& text, DarwinDescriptor_& descriptor)
{
    const size_t mark = text.find(L'>', kCodeChars);
    if (mark == std::wstring::npos)
        return false;
    descriptor.product_ = text.substr(0, kCodeChars);
    descriptor.feature_ = text.substr(kCodeChars, mark - kCodeChars);
    descriptor.component_ = text.substr(mark + 1, kCodeChars);
    return IsInstallerCode(descriptor.product_) && IsInstallerCode(descriptor.component_);
}

bool ParseCompressed(const std::wstring& text, DarwinDescriptor_& descriptor)
{
    if (!Unpack(text, 0, descriptor.product_))
        return false;
    const size_t mark = text.find_first_of(L"<>", kPackedChars);
    if (mark == std::wstring::npos)
        return false;
    descriptor.feature_ = text.substr(kPackedChars, mark - kPackedChars);
    descriptor.component_.clear();
    return text[mark] == L'<' || Unpack(text, mark + 1, descriptor.component_);
}

} // namespace

bool IsInstallerCode(const std::wstring& text)
{
    CLSID code {};
    return text.size() == kCodeChars && SUCCEEDED(CLSIDFromString(text.c_str(), &code));
}

bool ParseDarwinDescriptor(const std::wstring& text, DarwinDescriptor_& descriptor)
{
    DarwinDescriptor_ parsed;
    if (!ParsePlain(text, parsed) && !ParseCompressed(text, parsed))
        return false;
    if (parsed.feature_.size() > MAX_FEATURE_CHARS)
        return false;
    descriptor = parsed;
    return true;
}

} // namespace platform::msi
