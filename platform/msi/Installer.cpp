#include "platform/win/Msi.h"

#include "DarwinDescriptor.h"
#include "shell/ShellLinkFile.h"

#include "platform/Text.h"
#include "platform/win/Com.h"
#include "platform/win/Errors.h"
#include "platform/win/Files.h"
#include "platform/win/Registry.h"

#include <cstring>
#include <string>

namespace {

constexpr DWORD kDarwinSignature = 0xA0000006;
constexpr size_t kDarwinBlockSize = 0x314;
// The block's wide text follows its size, its signature and its ANSI text.
constexpr size_t kDarwinWideAt = 8 + 260;
constexpr size_t kDarwinWideChars = 260;
const wchar_t kComponents[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\UserData\\S-1-5-18\\Components\\";

// The wide text of the shortcut's Darwin data block; empty when the file is no shell link or has
// no such block.
std::wstring DarwinText(LPCWSTR shortcutPath)
{
    platform::CShellLinkFile link;
    if (link.Load(shortcutPath) != ERROR_SUCCESS)
        return {};
    const std::string block = link.ExtraBlock(kDarwinSignature);
    if (block.size() < kDarwinBlockSize)
        return {};
    std::u16string text;
    for (size_t i = 0; i < kDarwinWideChars; ++i) {
        const size_t at = kDarwinWideAt + 2 * i;
        const char16_t unit = static_cast<char16_t>(static_cast<unsigned char>(block[at]) |
                                                    static_cast<unsigned char>(block[at + 1]) << 8);
        if (!unit)
            break;
        text += unit;
    }
    return platform::FromUtf16(text);
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
    platform::msi::DarwinDescriptor_ descriptor;
    if (!platform::msi::ParseDarwinDescriptor(DarwinText(shortcutPath), descriptor))
        return ERROR_FUNCTION_FAILED;
    CopyOut(descriptor.product_, productCode);
    CopyOut(descriptor.feature_, featureId);
    CopyOut(descriptor.component_, componentCode);
    return ERROR_SUCCESS;
}

INSTALLSTATE MsiGetComponentPathW(LPCWSTR product, LPCWSTR component, LPWSTR path, LPDWORD pathChars)
{
    if (!product || !component || !platform::msi::IsInstallerCode(product) || !platform::msi::IsInstallerCode(component) || (path && !pathChars))
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
