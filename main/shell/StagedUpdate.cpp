#include "StagedUpdate.h"

#include "common/WriteLog.h"
#include "platform/Text.h"
#include "platform/Windows.h"

#include <iterator>
#include <map>
#include <vector>

namespace {

// Paths ordered by their UTF-16 code units, as Windows' wide strings compare.
struct Utf16Less {
    bool operator()(const std::wstring& a, const std::wstring& b) const
    {
        return platform::ToUtf16(a) < platform::ToUtf16(b);
    }
};

using PathMap = std::map<std::wstring, std::wstring, Utf16Less>;

const wchar_t kStagedSuffix[] = L".TMP";
const wchar_t kBackupSuffix[] = L".old";

bool EndsWithIgnoringCase(const std::wstring& name, const std::wstring& suffix)
{
    return !name.empty() && !suffix.empty() && name.size() >= suffix.size() &&
           platform::EqualsIgnoringCase(name.substr(name.size() - suffix.size()), suffix);
}

// The names of the folder's entries, without "." and ".." and without junctions.
std::vector<std::wstring> ListFolder(const std::wstring& folder)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found {};
    const HANDLE search = FindFirstFileW((folder + L"/*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        const std::wstring name = found.cFileName;
        const DWORD junction = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
        if (name == L"." || name == L".." ||
            (found.dwFileAttributes != INVALID_FILE_ATTRIBUTES && (found.dwFileAttributes & junction) == junction))
            continue;
        names.push_back(name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

// Puts the staged file in the target's place; the target is at its backup name by then.
void ReplaceTarget(const std::wstring& target, const std::wstring& backup, const std::wstring& staged)
{
    if (MoveFileW(staged.c_str(), target.c_str())) {
        DeleteFileW(backup.c_str());
        return;
    }
    const DWORD error = GetLastError();
    if (!MoveFileW(backup.c_str(), target.c_str()))
        WriteLog(L"staged update: %ls could not be restored from %ls, error %u", target.c_str(), backup.c_str(),
                 static_cast<unsigned>(GetLastError()));
    WriteLog(L"staged update: %ls not moved into place, error %u", staged.c_str(), static_cast<unsigned>(error));
}

} // namespace

void FinishStagedUpdate(const std::wstring& programFolder)
{
    for (const std::wstring& name : ListFolder(programFolder))
        if (EndsWithIgnoringCase(name, kBackupSuffix))
            DeleteFileW((programFolder + L"\\" + name).c_str());

    PathMap targetToBackup;
    PathMap stagedToTarget;
    for (const std::wstring& name : ListFolder(programFolder)) {
        // "X.TMP" names its target "X"; a bare ".TMP" names none.
        if (!EndsWithIgnoringCase(name, kStagedSuffix) || name.size() == std::size(kStagedSuffix) - 1)
            continue;
        const std::wstring staged = programFolder + L"\\" + name;
        const std::wstring target = staged.substr(0, staged.size() - (std::size(kStagedSuffix) - 1));
        stagedToTarget[staged] = target;
        targetToBackup[target] = target + kBackupSuffix;
    }

    for (const auto& [target, backup] : targetToBackup) {
        if (!MoveFileW(target.c_str(), backup.c_str()))
            continue;
        for (const auto& [staged, stagedTarget] : stagedToTarget) {
            if (stagedTarget == target) {
                ReplaceTarget(target, backup, staged);
                break;
            }
        }
    }
}
