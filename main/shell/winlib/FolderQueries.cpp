#include "winlib/FolderQueries.h"

#include "winlib/SpecialFolders.h"

#include "platform/Text.h"
#include "platform/Windows.h"

namespace {

std::wstring KnownPath(int csidl)
{
    const wchar_t* path = SpecialFolders().Path(csidl);
    return path ? path : L"";
}

// An unknown folder holds nothing.
bool IsUnder(const std::wstring& folder, const std::wstring& path, bool allowBelow)
{
    if (folder.empty() || path.size() < folder.size())
        return false;
    if (!platform::EqualsIgnoringCase(path.substr(0, folder.size()), folder))
        return false;
    return path.size() == folder.size() || (allowBelow && path[folder.size()] == L'\\');
}

} // namespace

bool IsKnownFolder(const std::wstring& path)
{
    std::wstring folder = path;
    if (!folder.empty() && (folder.back() == L'\\' || folder.back() == L'/'))
        folder.pop_back();
    return SpecialFolders().CsidlOf(folder).has_value();
}

int MapX86ToNative(int csidl)
{
    switch (csidl) {
    case CSIDL_PROGRAM_FILESX86:
        return CSIDL_PROGRAM_FILES;
    case CSIDL_PROGRAM_FILES_COMMONX86:
        return CSIDL_PROGRAM_FILES_COMMON;
    default:
        return -1;
    }
}

bool IsSystemCsidl(int csidl)
{
    return csidl == CSIDL_SYSTEM;
}

bool IsUnderSystemFolder(const std::wstring& path, bool allowBelow)
{
    static const std::wstring folder = KnownPath(CSIDL_SYSTEM);
    return IsUnder(folder, path, allowBelow);
}

bool IsUnderSystemX86Folder(const std::wstring& path, bool allowBelow)
{
    static const std::wstring folder = KnownPath(CSIDL_SYSTEMX86);
    return IsUnder(folder, path, allowBelow);
}

bool IsUnderWindowsFolder(const std::wstring& path, bool allowBelow)
{
    static const std::wstring folder = KnownPath(CSIDL_WINDOWS);
    return IsUnder(folder, path, allowBelow);
}

bool IsUnderProgramFiles(const std::wstring& path, bool allowBelow)
{
    static const std::wstring folder = [] {
        const std::wstring x86 = KnownPath(CSIDL_PROGRAM_FILESX86);
        return x86.empty() ? KnownPath(CSIDL_PROGRAM_FILES) : x86;
    }();
    return IsUnder(folder, path, allowBelow);
}
