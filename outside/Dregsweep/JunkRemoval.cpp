#include "JunkRemoval.h"

#include "common/HeldFolder.h"

#include <system_error>
#include <thread>

namespace {

constexpr size_t kFilesPerTurn = 256;
constexpr size_t kFilesBetweenQuestions = 2048;
constexpr unsigned kHelpers = 3;

bool SameTime(const FILETIME& a, const FILETIME& b) { return TicksOf(a) == TicksOf(b); }

// Whether the entry's handle shows what the analysis listed: of the folder's volume, with that file
// index, neither link nor mount point, and where a file was listed that file with its size and times.
bool IsAsListed(const BY_HANDLE_FILE_INFORMATION& information, DWORD volume, uint64_t fileIndex, const FoundFile* file)
{
    const DWORD attributes = information.dwFileAttributes;
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) || !file != ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) ||
        information.dwVolumeSerialNumber != volume || FileIndexOf(information) != fileIndex)
        return false;
    if (!file)
        return true;
    const uint64_t size = (static_cast<uint64_t>(information.nFileSizeHigh) << 32) | information.nFileSizeLow;
    return size == file->size && SameTime(information.ftLastWriteTime, file->lastWrite) &&
           SameTime(information.ftCreationTime, file->creation);
}

} // namespace

CJunkRemoval::Outcome CJunkRemoval::Remove(JunkFindings& findings)
{
    // A listing's files lie together; a turn never spans two folders, so each holds one folder.
    turns_.clear();
    for (size_t index = 0; index < findings.files.size(); ++index) {
        if (turns_.empty() || turns_.back().end - turns_.back().first == kFilesPerTurn ||
            findings.files[turns_.back().first].folder != findings.files[index].folder)
            turns_.push_back({index, index});
        turns_.back().end = index + 1;
    }
    folders_ = std::make_unique<CFoundFolders>(findings);
    emptied_.assign(findings.folders.size(), false);
    verdicts_.assign(findings.files.size(), Verdict::NotReached);
    std::vector<std::thread> helpers;
    try {
        for (unsigned i = 0; i < kHelpers && i + 1 < turns_.size(); ++i)
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
    CFoundFolders::NodePtr held;
    while (!ended_) {
        const size_t turn = next_.fetch_add(1);
        if (turn >= turns_.size())
            return;
        RemoveTurn(findings, turns_[turn], held);
        sinceAsked += turns_[turn].end - turns_[turn].first;
        if (caller && sinceAsked >= kFilesBetweenQuestions) {
            sinceAsked = 0;
            if (!keepGoing_())
                ended_ = true;
        }
    }
}

void CJunkRemoval::RemoveTurn(const JunkFindings& findings, const Turn& turn, CFoundFolders::NodePtr& last)
{
    last = folders_->Reach(findings.files[turn.first].folder);
    const CHeldFolder& held = last->folder;
    for (size_t index = turn.first; index < turn.end; ++index) {
        // A folder that cannot be held now, even one that seems gone (a name being swapped can look
        // missing for a moment), keeps its files: only what was deleted leaves the findings.
        if (held.GetState() != CHeldFolder::State::Held) {
            verdicts_[index] = Verdict::Skipped;
            continue;
        }
        const FoundFile& file = findings.files[index];
        const auto isTheFile = [&](HANDLE, const BY_HANDLE_FILE_INFORMATION& information) {
            return IsAsListed(information, held.Volume(), file.fileIndex, &file);
        };
        // Whatever kind of file the name leads to now is opened: the check by its handle refuses
        // all but the file listed.
        switch (held.DeleteEntry(file.name, 0, 0, isTheFile)) {
        case CHeldFolder::Deletion::Deleted: verdicts_[index] = Verdict::Removed; break;
        case CHeldFolder::Deletion::Gone: verdicts_[index] = Verdict::Vanished; break;
        default: verdicts_[index] = Verdict::Skipped; break;
        }
    }
}

void CJunkRemoval::RemoveEmptiedFolders(const JunkFindings& findings)
{
    // Folders are listed after the folder holding them, so going backwards empties the deepest
    // first. Only a folder this removal took something from goes, and only when nothing is left in
    // it: a folder that was empty already was never shown as junk.
    CFoundFolders::NodePtr last;
    for (size_t index = findings.folders.size(); index-- > 0;) {
        const FoundFolder& folder = findings.folders[index];
        if (folder.parent == FoundFolder::kNoParent || !emptied_[index])
            continue;
        last = folders_->Reach(folder.parent);
        const CHeldFolder& held = last->folder;
        const std::wstring name = folder.path.substr(folder.path.find_last_of(L'\\') + 1);
        const auto isTheFolder = [&](HANDLE, const BY_HANDLE_FILE_INFORMATION& information) {
            return IsAsListed(information, held.Volume(), folder.fileIndex, nullptr);
        };
        if (held.GetState() == CHeldFolder::State::Held &&
            held.DeleteEntry(name, FILE_DIRECTORY_FILE, 0, isTheFolder) == CHeldFolder::Deletion::Deleted)
            emptied_[folder.parent] = true;
    }
}
