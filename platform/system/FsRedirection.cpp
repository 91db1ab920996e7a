#include "platform/win/SystemInfo.h"

#include "platform/Machine.h"

namespace {

// Each thread switches its own redirection, as on Windows; it starts on.
thread_local bool t_redirectionOff = false;

constexpr wchar_t kSystemFolder[] = L"C:\\Windows\\System32";
constexpr wchar_t kRedirectedFolder[] = L"C:\\Windows\\SysWOW64";
constexpr size_t kSystemFolderLength = sizeof(kSystemFolder) / sizeof(wchar_t) - 1;

bool SameLetter(wchar_t a, wchar_t b)
{
    const auto lower = [](wchar_t c) { return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c + 32) : c; };
    return a == b || lower(a) == lower(b) || (a == L'/' && b == L'\\');
}

bool IsBelowSystemFolder(const std::wstring& path)
{
    if (path.size() < kSystemFolderLength)
        return false;
    for (size_t i = 0; i < kSystemFolderLength; ++i)
        if (!SameLetter(path[i], kSystemFolder[i]))
            return false;
    return path.size() == kSystemFolderLength || path[kSystemFolderLength] == L'\\' ||
           path[kSystemFolderLength] == L'/';
}

// The switches exist only under WOW64.
bool HasWow64()
{
    if (platform::Machine().is64BitWindows)
        return true;
    SetLastError(ERROR_INVALID_FUNCTION);
    return false;
}

} // namespace

namespace platform {

void RedirectSystemFolder(std::wstring& windowsPath)
{
    if (t_redirectionOff || !IsBelowSystemFolder(windowsPath) || !Machine().is64BitWindows)
        return;
    windowsPath.replace(0, kSystemFolderLength, kRedirectedFolder);
}

} // namespace platform

BOOL Wow64DisableWow64FsRedirection(PVOID* oldValue)
{
    if (!HasWow64())
        return FALSE;
    if (oldValue)
        *oldValue = reinterpret_cast<PVOID>(static_cast<uintptr_t>(t_redirectionOff));
    t_redirectionOff = true;
    return TRUE;
}

BOOL Wow64RevertWow64FsRedirection(PVOID oldValue)
{
    if (!HasWow64())
        return FALSE;
    t_redirectionOff = oldValue != nullptr;
    return TRUE;
}

BOOLEAN Wow64EnableWow64FsRedirection(BOOLEAN enable)
{
    if (!HasWow64())
        return FALSE;
    t_redirectionOff = !enable;
    return TRUE;
}
