#include "RuleFolders.h"

#include "FileNamePattern.h"

#include "common/HeldFolder.h"

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

// A folder reached on the way down, held while the next component is looked for in it.
struct Reached {
    FolderChain chain;
    folder_chain::Held held;
};

// The real folders in a held folder that match the pattern, each with the identity its listing
// gives, in name order so that every analysis walks them alike.
std::vector<FolderLink> MatchingSubfolders(const FolderChain& chain, const CFileNamePattern& pattern)
{
    std::vector<FolderLink> found;
    const CHeldFolder folder(chain);
    folder.ForEachEntry([&](const FILE_ID_BOTH_DIR_INFO& entry) {
        std::wstring name(entry.FileName, entry.FileNameLength / sizeof(WCHAR));
        if (IsRealFolder(entry.FileAttributes) && pattern.Matches(name))
            found.push_back({std::move(name), folder.Volume(), static_cast<uint64_t>(entry.FileId.QuadPart)});
        return true;
    });
    std::sort(found.begin(), found.end(), [](const FolderLink& a, const FolderLink& b) { return a.name < b.name; });
    return found;
}

// The folder of the link in a reached one joins the next ones, held and recorded, unless it is
// missing or no real folder (or not the folder listed, where the link names one).
void Descend(const Reached& at, FolderLink link, std::vector<Reached>& next)
{
    DWORD error = ERROR_SUCCESS;
    folder_chain::Held held = folder_chain::Open(at.held.get(), link, error);
    if (!held)
        return;
    FolderChain chain = at.chain;
    chain.push_back(std::move(link));
    next.push_back({std::move(chain), std::move(held)});
}

} // namespace

std::vector<FolderChain> Resolve(const std::wstring& folder)
{
    const std::wstring expanded = Expanded(folder);
    if (expanded.empty() || expanded.find(L'%') != std::wstring::npos)
        return {};
    const std::vector<std::wstring> parts = Components(expanded);
    if (parts.size() < 2 || !IsDrive(parts.front()))
        return {};
    std::vector<Reached> reached(1);
    DWORD error = ERROR_SUCCESS;
    reached.front().held = folder_chain::Record(parts.front() + L"\\", reached.front().chain, error);
    if (!reached.front().held)
        return {};
    for (size_t i = 1; i < parts.size() && !reached.empty(); ++i) {
        const std::wstring& part = parts[i];
        if (part.empty() || part == L"." || part == L"..")
            return {};
        std::vector<Reached> next;
        for (const Reached& at : reached) {
            if (part.find_first_of(L"*?") == std::wstring::npos) {
                Descend(at, FolderLink{part}, next);
                continue;
            }
            for (FolderLink& link : MatchingSubfolders(at.chain, CFileNamePattern({part})))
                Descend(at, std::move(link), next);
        }
        reached = std::move(next);
    }
    std::vector<FolderChain> folders;
    for (Reached& at : reached)
        folders.push_back(std::move(at.chain));
    return folders;
}

} // namespace rule_folders
