#include "FileWalk.h"

#include <vector>

namespace standin {

namespace {

bool IsDotEntry(const WIN32_FIND_DATAW& entry)
{
    const std::wstring name = entry.cFileName;
    return name == L"." || name == L"..";
}

// Each entry matching the pattern, without "." and "..".
std::vector<std::pair<std::wstring, WIN32_FIND_DATAW>> Entries(const std::wstring& folder, const std::wstring& pattern)
{
    std::vector<std::pair<std::wstring, WIN32_FIND_DATAW>> entries;
    WIN32_FIND_DATAW entry {};
    HANDLE find = FindFirstFileW(JoinPath(folder, pattern).c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return entries;
    do {
        if (!IsDotEntry(entry))
            entries.emplace_back(JoinPath(folder, entry.cFileName), entry);
    } while (FindNextFileW(find, &entry));
    FindClose(find);
    return entries;
}

} // namespace

std::wstring JoinPath(const std::wstring& folder, const std::wstring& name)
{
    if (folder.empty())
        return name;
    return folder.back() == L'\\' ? folder + name : folder + L'\\' + name;
}

void WalkFolder(const std::wstring& folder, const std::wstring& pattern, bool recurse, const EntryVisitor& visit)
{
    for (const auto& [path, entry] : Entries(folder, pattern))
        visit(path, entry);
    if (!recurse)
        return;
    for (const auto& [path, entry] : Entries(folder, L"*")) {
        const DWORD attributes = entry.dwFileAttributes;
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
            WalkFolder(path, pattern, true, visit);
    }
}

} // namespace standin
