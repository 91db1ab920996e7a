#include "RuleFolders.h"

#include "FileNamePattern.h"

#include "platform/Windows.h"

#include <algorithm>
#include <cwctype>

namespace rule_folders {

namespace {

std::wstring Expanded(const std::wstring& text)
{
    std::wstring result(text.size() + 64, L'\0');
    for (int attempt = 0; attempt < 4; ++attempt) {
        const DWORD needed = ExpandEnvironmentStringsW(text.c_str(), result.data(), static_cast<DWORD>(result.size()));
        if (needed == 0)
            return std::wstring();
        if (needed <= result.size()) {
            result.resize(needed - 1);
            return result;
        }
        result.assign(needed, L'\0');
    }
    return std::wstring();
}

std::vector<std::wstring> Components(const std::wstring& path)
{
    std::vector<std::wstring> parts;
    size_t start = 0;
    while (start <= path.size()) {
        const size_t slash = path.find(L'\\', start);
        parts.push_back(path.substr(start, slash - start));
        if (slash == std::wstring::npos)
            break;
        start = slash + 1;
    }
    while (parts.size() > 1 && parts.back().empty())
        parts.pop_back();
    return parts;
}

bool IsDrive(const std::wstring& part)
{
    return part.size() == 2 && part[1] == L':' && std::iswalpha(static_cast<wint_t>(part[0]));
}

// The names of the plain folders in a folder that match the pattern, in name order so that every
// analysis walks them alike.
std::vector<std::wstring> MatchingSubfolders(const std::wstring& folder, const CFileNamePattern& pattern)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &data, FindExSearchLimitToDirectories,
                                   nullptr, 0);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        const std::wstring name = data.cFileName;
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
            name != L"." && name != L".." && pattern.Matches(name))
            names.push_back(name);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

bool IsPlainFolderEntry(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool IsPlainFolder(const std::wstring& path)
{
    if (path.size() < 3 || !IsDrive(path.substr(0, 2)) || path[2] != L'\\')
        return false;
    for (size_t slash = path.find(L'\\', 3); slash != std::wstring::npos; slash = path.find(L'\\', slash + 1))
        if (!IsPlainFolderEntry(path.substr(0, slash)))
            return false;
    return IsPlainFolderEntry(path);
}

std::vector<std::wstring> Resolve(const std::wstring& folder)
{
    const std::wstring expanded = Expanded(folder);
    if (expanded.empty() || expanded.find(L'%') != std::wstring::npos)
        return {};
    const std::vector<std::wstring> parts = Components(expanded);
    if (parts.size() < 2 || !IsDrive(parts.front()))
        return {};
    std::vector<std::wstring> reached{parts.front()};
    for (size_t i = 1; i < parts.size() && !reached.empty(); ++i) {
        const std::wstring& part = parts[i];
        if (part.empty() || part == L"." || part == L"..")
            return {};
        std::vector<std::wstring> next;
        for (const std::wstring& at : reached) {
            if (part.find_first_of(L"*?") == std::wstring::npos) {
                next.push_back(at + L"\\" + part);
                continue;
            }
            for (const std::wstring& name : MatchingSubfolders(at, CFileNamePattern({part})))
                next.push_back(at + L"\\" + name);
        }
        reached = std::move(next);
    }
    std::vector<std::wstring> folders;
    for (const std::wstring& path : reached)
        if (IsPlainFolder(path))
            folders.push_back(path);
    return folders;
}

} // namespace rule_folders
