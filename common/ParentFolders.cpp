#include "common/ParentFolders.h"

#include "platform/Windows.h"

namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool IsFolder(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace

bool EnsureFolder(const std::wstring& folder)
{
    if (folder.empty() || IsFolder(folder))
        return true;
    // Every level from the top; a drive ("C:") or the host's root needs no making.
    for (size_t end = 1; end <= folder.size(); ++end) {
        if (end < folder.size() && !IsSeparator(folder[end]))
            continue;
        const std::wstring level = folder.substr(0, end);
        if (IsSeparator(level.back()) || (level.size() == 2 && level[1] == L':'))
            continue;
        if (GetFileAttributesW(level.c_str()) == INVALID_FILE_ATTRIBUTES)
            CreateDirectoryW(level.c_str(), nullptr);
    }
    return IsFolder(folder);
}

std::wstring FolderOf(const std::wstring& path)
{
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}
