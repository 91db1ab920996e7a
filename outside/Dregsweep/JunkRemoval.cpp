#include "JunkRemoval.h"

#include "RuleFolders.h"

#include <system_error>
#include <thread>

namespace {

constexpr size_t kFilesPerTurn = 256;
constexpr size_t kFilesBetweenQuestions = 2048;
constexpr unsigned kHelpers = 3;

bool IsGone(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

bool SameTime(const FILETIME& a, const FILETIME& b) { return TicksOf(a) == TicksOf(b); }

} // namespace

CJunkRemoval::Outcome CJunkRemoval::Remove(JunkFindings& findings)
{
    // Every folder is looked at here, once, so that the removing threads only read the answers.
    plain_.assign(findings.folders.size(), -1);
    for (uint32_t folder = 0; folder < findings.folders.size(); ++folder)
        FolderIsPlain(findings, folder);
    emptied_.assign(findings.folders.size(), false);
    verdicts_.assign(findings.files.size(), Verdict::NotReached);
    std::vector<std::thread> helpers;
    try {
        for (unsigned i = 0; i < kHelpers && (i + 1) * kFilesPerTurn < findings.files.size(); ++i)
            helpers.emplace_back([this, &findings] { Work(findings, false); });
    } catch (const std::system_error&) {
        // No more threads to be had: the removal goes on with those it has.
    }
    Work(findings, true);
    for (std::thread& helper : helpers)
        helper.join();

    Outcome outcome;
    outcome.ended = ended_;
    std::vector<FoundFile> staying;
    for (size_t index = 0; index < findings.files.size(); ++index) {
        FoundFile& file = findings.files[index];
        switch (verdicts_[index]) {
        case Verdict::Removed:
            outcome.removedSize += file.size;
            ++outcome.removedFiles;
            emptied_[file.folder] = true;
            break;
        case Verdict::Vanished:
            outcome.vanishedSize += file.size;
            break;
        case Verdict::Skipped:
            ++outcome.skippedFiles;
            staying.push_back(std::move(file));
            break;
        case Verdict::NotReached:
            staying.push_back(std::move(file));
            break;
        }
    }
    findings.files = std::move(staying);
    findings.size -= outcome.removedSize + outcome.vanishedSize;
    RemoveEmptiedFolders(findings);
    return outcome;
}

void CJunkRemoval::Work(const JunkFindings& findings, bool caller)
{
    size_t sinceAsked = 0;
    while (!ended_) {
        const size_t first = next_.fetch_add(kFilesPerTurn);
        if (first >= findings.files.size())
            return;
        const size_t end = std::min(first + kFilesPerTurn, findings.files.size());
        for (size_t index = first; index < end; ++index) {
            const FoundFile& file = findings.files[index];
            verdicts_[index] = RemoveFile(findings, file, plain_[file.folder] > 0);
        }
        sinceAsked += end - first;
        if (caller && sinceAsked >= kFilesBetweenQuestions) {
            sinceAsked = 0;
            if (!keepGoing_())
                ended_ = true;
        }
    }
}

CJunkRemoval::Verdict CJunkRemoval::RemoveFile(const JunkFindings& findings, const FoundFile& file, bool folderIsPlain)
{
    if (!folderIsPlain) {
        const DWORD attributes = GetFileAttributesW(findings.folders[file.folder].path.c_str());
        return attributes == INVALID_FILE_ATTRIBUTES && IsGone(GetLastError()) ? Verdict::Vanished : Verdict::Skipped;
    }
    const std::wstring path = findings.PathOf(file);
    WIN32_FILE_ATTRIBUTE_DATA now{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &now))
        return IsGone(GetLastError()) ? Verdict::Vanished : Verdict::Skipped;
    const uint64_t size = (static_cast<uint64_t>(now.nFileSizeHigh) << 32) | now.nFileSizeLow;
    const bool same = !(now.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) &&
                      size == file.size && SameTime(now.ftLastWriteTime, file.lastWrite) &&
                      SameTime(now.ftCreationTime, file.creation);
    if (!same)
        return Verdict::Skipped;
    if (DeleteFileW(path.c_str()))
        return Verdict::Removed;
    return IsGone(GetLastError()) ? Verdict::Vanished : Verdict::Skipped;
}

bool CJunkRemoval::FolderIsPlain(const JunkFindings& findings, uint32_t folder)
{
    if (plain_[folder] < 0) {
        const FoundFolder& found = findings.folders[folder];
        const bool plain = found.parent == FoundFolder::kNoParent
                               ? rule_folders::IsPlainFolder(found.path)
                               : FolderIsPlain(findings, found.parent) && rule_folders::IsPlainFolderEntry(found.path);
        plain_[folder] = plain ? 1 : 0;
    }
    return plain_[folder] > 0;
}

void CJunkRemoval::RemoveEmptiedFolders(const JunkFindings& findings)
{
    // Folders are listed after the folder holding them, so going backwards empties the deepest first.
    for (size_t index = findings.folders.size(); index-- > 0;) {
        const FoundFolder& folder = findings.folders[index];
        if (folder.parent == FoundFolder::kNoParent || !(emptied_[index] || folder.whole))
            continue;
        // A folder still holding something refuses to go, which is what is wanted; one that became
        // a link since is never touched.
        if (plain_[index] > 0 && rule_folders::IsPlainFolderEntry(folder.path) && RemoveDirectoryW(folder.path.c_str()))
            emptied_[folder.parent] = true;
    }
}
