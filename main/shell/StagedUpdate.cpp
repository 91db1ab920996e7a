#include "StagedUpdate.h"

#include "common/HeldFolder.h"
#include "common/WriteLog.h"
#include "platform/Text.h"
#include "platform/Windows.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <vector>

namespace {

// Names ordered by their UTF-16 code units, as Windows' wide strings compare.
struct Utf16Less {
    bool operator()(const std::wstring& a, const std::wstring& b) const
    {
        return platform::ToUtf16(a) < platform::ToUtf16(b);
    }
};

const wchar_t kStagedSuffix[] = L".TMP";
const wchar_t kBackupSuffix[] = L".old";
constexpr size_t kSuffixLength = std::size(kStagedSuffix) - 1;
static_assert(std::size(kBackupSuffix) - 1 == kSuffixLength);

// The name's file without the suffix ("X" of "X.TMP", matched ignoring case); empty when the name
// does not end in the suffix or is the suffix alone.
std::wstring TargetOf(const std::wstring& name, const std::wstring& suffix)
{
    if (name.size() <= suffix.size() || !platform::EqualsIgnoringCase(name.substr(name.size() - suffix.size()), suffix))
        return std::wstring();
    return name.substr(0, name.size() - suffix.size());
}

// The names of the folder's entries, without junctions, in Windows' order.
std::vector<std::wstring> ListFolder(const CHeldFolder& folder)
{
    std::vector<std::wstring> names;
    folder.ForEachEntry([&names](const FILE_ID_BOTH_DIR_INFO& found) {
        const DWORD junction = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
        if ((found.FileAttributes & junction) != junction)
            names.emplace_back(found.FileName, found.FileNameLength / sizeof(WCHAR));
        return true;
    });
    std::sort(names.begin(), names.end(), Utf16Less());
    return names;
}

bool Exists(const CHeldFolder& folder, const std::wstring& name)
{
    DWORD error = ERROR_SUCCESS;
    const HANDLE entry = folder.OpenEntry(name, FILE_READ_ATTRIBUTES, 0, error);
    if (entry)
        CloseHandle(entry);
    return entry != nullptr;
}

// Gives the file `from` the name `to`, in one step: `to` holds its old file or this one, never
// nothing. False with the Windows error set.
bool Rename(const CHeldFolder& folder, const std::wstring& from, const std::wstring& to, bool replace)
{
    DWORD error = ERROR_SUCCESS;
    const HANDLE file = folder.OpenEntry(from, DELETE | FILE_READ_ATTRIBUTES, FILE_NON_DIRECTORY_FILE, error);
    if (!file) {
        SetLastError(error);
        return false;
    }
    const bool moved = folder.MoveHere(file, to, replace);
    error = GetLastError();
    CloseHandle(file);
    SetLastError(error);
    return moved;
}

// For each target, the first of the names staged for it.
std::map<std::wstring, std::wstring, Utf16Less> StagedFiles(const std::vector<std::wstring>& names)
{
    std::map<std::wstring, std::wstring, Utf16Less> staged;
    for (const std::wstring& name : names)
        if (const std::wstring target = TargetOf(name, kStagedSuffix); !target.empty())
            staged.emplace(target, name);
    return staged;
}

// An update that moved a file aside before moving the new one in, killed in between, left "X.old"
// and no "X": the new file, or else the old one, takes the name again, before any backup goes.
void RestoreMissingTargets(const CHeldFolder& folder)
{
    const std::vector<std::wstring> names = ListFolder(folder);
    const auto staged = StagedFiles(names);
    for (const std::wstring& name : names) {
        const std::wstring target = TargetOf(name, kBackupSuffix);
        if (target.empty() || Exists(folder, target))
            continue;
        const auto newFile = staged.find(target);
        const bool restored = (newFile != staged.end() && Rename(folder, newFile->second, target, false)) ||
                              Rename(folder, name, target, false);
        if (restored)
            WriteLog(L"staged update: %ls was missing and has been put back", target.c_str());
        else
            WriteLog(L"staged update: %ls is missing and cannot be put back, error %u", target.c_str(),
                     static_cast<unsigned>(GetLastError()));
    }
}

// A backup is deleted only beside the file it backs up: otherwise it may be the only copy.
void DeleteBackups(const CHeldFolder& folder)
{
    for (const std::wstring& name : ListFolder(folder)) {
        const std::wstring target = TargetOf(name, kBackupSuffix);
        if (target.empty() || !Exists(folder, target))
            continue;
        folder.DeleteEntry(name, FILE_NON_DIRECTORY_FILE, 0, [](HANDLE, const BY_HANDLE_FILE_INFORMATION& information) {
            return !(information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
        });
    }
}

void MoveStagedFilesIn(const CHeldFolder& folder)
{
    for (const auto& [target, staged] : StagedFiles(ListFolder(folder))) {
        // A staged file without its target is no update of a program file: it stays.
        if (!Exists(folder, target))
            continue;
        if (!Rename(folder, staged, target, true))
            WriteLog(L"staged update: %ls not moved into place, error %u", staged.c_str(),
                     static_cast<unsigned>(GetLastError()));
    }
}

} // namespace

void FinishStagedUpdate(const std::wstring& programFolder)
{
    const CHeldFolder folder(programFolder, 0, 0);
    if (folder.GetState() != CHeldFolder::State::Held)
        return;
    RestoreMissingTargets(folder);
    DeleteBackups(folder);
    MoveStagedFilesIn(folder);
}
