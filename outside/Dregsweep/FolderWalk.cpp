#include "FolderWalk.h"

namespace {

constexpr unsigned kEntriesBetweenQuestions = 2048;

bool IsDots(const wchar_t* name) { return name[0] == L'.' && (!name[1] || (name[1] == L'.' && !name[2])); }

} // namespace

CFolderWalk::CFolderWalk(const JunkRule& rule, uint64_t now, KeepGoing keepGoing)
    : rule_(rule), newestTaken_(now > rule.minimumAge ? now - rule.minimumAge : 0), keepGoing_(std::move(keepGoing))
{
}

bool CFolderWalk::IsOldEnough(const WIN32_FIND_DATAW& data) const
{
    return rule_.minimumAge == 0 || TicksOf(data.ftLastWriteTime) <= newestTaken_;
}

bool CFolderWalk::Walk(const std::wstring& folder, JunkFindings& findings)
{
    std::vector<uint32_t> pending{static_cast<uint32_t>(findings.folders.size())};
    findings.folders.push_back({folder, FoundFolder::kNoParent, false});
    WIN32_FIND_DATAW data;
    while (!pending.empty()) {
        const uint32_t index = pending.back();
        pending.pop_back();
        // Copied: the folder list grows while this folder is listed.
        const std::wstring path = findings.folders[index].path;
        const bool whole = findings.folders[index].whole;
        HANDLE find = FindFirstFileExW((path + L"\\*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                       FIND_FIRST_EX_LARGE_FETCH);
        if (find == INVALID_HANDLE_VALUE)
            continue;  // vanished or denied since it was listed: nothing to take from it
        do {
            if (++sinceAsked_ >= kEntriesBetweenQuestions) {
                sinceAsked_ = 0;
                if (!keepGoing_()) {
                    FindClose(find);
                    return false;
                }
            }
            if (IsDots(data.cFileName) || (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                continue;
            const std::wstring name = data.cFileName;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                if (rule_.recurse) {
                    pending.push_back(static_cast<uint32_t>(findings.folders.size()));
                    findings.folders.push_back({path + L"\\" + name, index, whole || rule_.files.Matches(name)});
                }
                continue;
            }
            if ((whole || rule_.files.Matches(name)) && IsOldEnough(data)) {
                const uint64_t size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
                findings.files.push_back({index, name, size, data.ftCreationTime, data.ftLastWriteTime});
                findings.size += size;
            }
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    return true;
}
