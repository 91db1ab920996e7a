#include "JunkRemoval.h"

#include "RuleFolders.h"

namespace {

constexpr unsigned kFilesBetweenQuestions = 2048;

bool IsGone(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

bool SameTime(const FILETIME& a, const FILETIME& b) { return TicksOf(a) == TicksOf(b); }

} // namespace

CJunkRemoval::Outcome CJunkRemoval::Remove(JunkFindings& findings)
{
    plain_.assign(findings.folders.size(), -1);
    emptied_.assign(findings.folders.size(), false);
    Outcome outcome;
    std::vector<FoundFile> staying;
    unsigned sinceAsked = 0;
    for (FoundFile& file : findings.files) {
        if (!outcome.ended && ++sinceAsked >= kFilesBetweenQuestions) {
            sinceAsked = 0;
            outcome.ended = !keepGoing_();
        }
        if (outcome.ended) {
            staying.push_back(std::move(file));
            continue;
        }
        switch (RemoveFile(findings, file)) {
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
        }
    }
    findings.files = std::move(staying);
    findings.size -= outcome.removedSize + outcome.vanishedSize;
    RemoveEmptiedFolders(findings);
    return outcome;
}

CJunkRemoval::Verdict CJunkRemoval::RemoveFile(const JunkFindings& findings, const FoundFile& file)
{
    if (!FolderIsPlain(findings, file.folder)) {
        const DWORD attributes = GetFileAttributesW(findings.folders[file.folder].path.c_str());
        return attributes == INVALID_FILE_ATTRIBUTES && IsGone(GetLastError()) ? Verdict::Vanished : Verdict::Skipped;
    }
    const std::wstring path = findings.PathOf(file);
    HANDLE handle = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return IsGone(GetLastError()) ? Verdict::Vanished : Verdict::Skipped;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool read = GetFileInformationByHandle(handle, &info);
    CloseHandle(handle);
    const uint64_t size = (static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    const bool same = read && !(info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) &&
                      size == file.size && SameTime(info.ftLastWriteTime, file.lastWrite) &&
                      SameTime(info.ftCreationTime, file.creation);
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
        const auto at = static_cast<uint32_t>(index);
        // A folder still holding something refuses to go, which is what is wanted.
        if (FolderIsPlain(findings, at) && RemoveDirectoryW(folder.path.c_str()))
            emptied_[folder.parent] = true;
    }
}
