#include "platform/win/Msi.h"

#include "platform/Machine.h"
#include "platform/Text.h"
#include "platform/win/Com.h"
#include "platform/win/Errors.h"
#include "platform/win/Files.h"
#include "platform/win/Registry.h"

#include <cstring>
#include <fstream>
#include <string>

namespace {

constexpr size_t kHeaderSize = 0x4C;
constexpr DWORD kHasIdList = 0x1;
constexpr DWORD kHasLinkInfo = 0x2;
constexpr DWORD kIsUnicode = 0x80;
constexpr DWORD kDarwinSignature = 0xA0000006;
constexpr size_t kDarwinBlockSize = 0x314;
constexpr size_t kDarwinAnsiBytes = 260;
constexpr size_t kDarwinWideChars = 260;
constexpr size_t kCodeChars = 38;
constexpr std::streamsize kMostShortcutBytes = 1 << 20; // far beyond any shortcut
const wchar_t kComponents[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\UserData\\S-1-5-18\\Components\\";

uint32_t Little(const std::string& bytes, size_t at, size_t width)
{
    uint32_t value = 0;
    for (size_t i = 0; i < width; ++i)
        value |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
    return value;
}

// The wide text of the shortcut's Darwin data block; empty when the file has none.
std::wstring DarwinText(LPCWSTR shortcutPath)
{
    std::ifstream file(platform::HostPath(std::wstring(shortcutPath)), std::ios::binary);
    std::string bytes(static_cast<size_t>(kMostShortcutBytes), '\0');
    file.read(bytes.data(), kMostShortcutBytes);
    bytes.resize(static_cast<size_t>(file.gcount()));
    if (bytes.size() < kHeaderSize || Little(bytes, 0, 4) != kHeaderSize)
        return {};
    const DWORD flags = Little(bytes, 20, 4);
    size_t at = kHeaderSize;
    if ((flags & kHasIdList) && at + 2 <= bytes.size())
        at += 2 + Little(bytes, at, 2);
    if ((flags & kHasLinkInfo) && at + 4 <= bytes.size())
        at += Little(bytes, at, 4);
    const size_t charBytes = (flags & kIsUnicode) ? 2 : 1;
    for (DWORD text = 0x4; text <= 0x40; text <<= 1)   // name, relative path, folder, arguments, icon
        if ((flags & text) && at + 2 <= bytes.size())
            at += 2 + Little(bytes, at, 2) * charBytes;
    while (at + 8 <= bytes.size()) {
        const size_t size = Little(bytes, at, 4);
        if (size < 8 || at + size > bytes.size())
            break;
        if (Little(bytes, at + 4, 4) == kDarwinSignature && size >= kDarwinBlockSize) {
            const size_t wide = at + 8 + kDarwinAnsiBytes;
            std::u16string text;
            for (size_t i = 0; i < kDarwinWideChars && Little(bytes, wide + 2 * i, 2); ++i)
                text += static_cast<char16_t>(Little(bytes, wide + 2 * i, 2));
            return platform::FromUtf16(text);
        }
        at += size;
    }
    return {};
}

bool IsCode(const std::wstring& text)
{
    CLSID code{};
    return text.size() == kCodeChars && SUCCEEDED(CLSIDFromString(text.c_str(), &code));
}

void CopyOut(const std::wstring& text, LPWSTR out)
{
    if (out)
        std::wcscpy(out, text.c_str());
}

// The code as the installer's registry keys write it.
std::wstring Packed(const std::wstring& code)
{
    std::wstring digits;
    for (const wchar_t c : platform::UpperCase(code))
        if (c != L'{' && c != L'}' && c != L'-')
            digits += c;
    std::wstring packed;
    for (const auto& [start, length] : {std::pair<size_t, size_t>{0, 8}, {8, 4}, {12, 4}})
        packed.append(digits.rbegin() + static_cast<long>(digits.size() - start - length),
                      digits.rbegin() + static_cast<long>(digits.size() - start));
    for (size_t i = 16; i + 1 < digits.size(); i += 2) {
        packed += digits[i + 1];
        packed += digits[i];
    }
    return packed;
}

} // namespace

UINT MsiGetShortcutTargetW(LPCWSTR shortcutPath, LPWSTR productCode, LPWSTR featureId, LPWSTR componentCode)
{
    if (!shortcutPath || !*shortcutPath)
        return ERROR_INVALID_PARAMETER;
    const std::wstring text = DarwinText(shortcutPath);
    const size_t mark = text.rfind(L'>');
    if (mark == std::wstring::npos || mark < kCodeChars)
        return ERROR_FUNCTION_FAILED;
    const std::wstring product = text.substr(0, kCodeChars);
    const std::wstring feature = text.substr(kCodeChars, mark - kCodeChars);
    const std::wstring component = text.substr(mark + 1);
    if (!IsCode(product) || !IsCode(component) || feature.size() > MAX_FEATURE_CHARS)
        return ERROR_FUNCTION_FAILED;
    CopyOut(product, productCode);
    CopyOut(feature, featureId);
    CopyOut(component, componentCode);
    return ERROR_SUCCESS;
}

INSTALLSTATE MsiGetComponentPathW(LPCWSTR product, LPCWSTR component, LPWSTR path, LPDWORD pathChars)
{
    if (!product || !component || !IsCode(product) || !IsCode(component) || (path && !pathChars))
        return INSTALLSTATE_INVALIDARG;
    const std::wstring key = kComponents + Packed(component);
    wchar_t value[MAX_PATH * 2] = {};
    DWORD bytes = sizeof(value);
    if (RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), Packed(product).c_str(),
                     RRF_RT_REG_SZ | RRF_SUBKEY_WOW6464KEY, nullptr, value, &bytes) != ERROR_SUCCESS ||
        !value[0])
        return INSTALLSTATE_UNKNOWN;
    const std::wstring found = value;
    const DWORD room = pathChars ? *pathChars : 0;
    if (pathChars)
        *pathChars = static_cast<DWORD>(found.size());
    if (path && room <= found.size())
        return INSTALLSTATE_MOREDATA;
    CopyOut(found, path);
    return GetFileAttributesW(found.c_str()) != INVALID_FILE_ATTRIBUTES ? INSTALLSTATE_LOCAL : INSTALLSTATE_ABSENT;
}
