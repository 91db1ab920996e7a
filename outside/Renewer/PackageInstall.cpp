#include "PackageInstall.h"

#include "StartupBlock.h"
#include "UpdateLibrary.h"

#include "common/ParentFolders.h"
#include "outside/HeldFolder/HeldFolder.h"
#include "platform/Machine.h"
#include "platform/Text.h"
#include "platform/Windows.h"
#include "update/IUnzipFile.h"

#include <filesystem>
#include <vector>

namespace fs = std::filesystem;

namespace {

const wchar_t kStagingFolder[] = L"Renewer.staging";
const wchar_t kStagedSuffix[] = L".TMP";
// Where a replaced file of a sub-folder waits, beside the new file's place in the staging folder.
const wchar_t kKeptSuffix[] = L".previous";

std::string ErrorText(DWORD error)
{
    return "error " + std::to_string(error);
}

bool Exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsFolderEntry(const WIN32_FIND_DATAW& found)
{
    const DWORD attributes = found.dwFileAttributes;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Calls visit(name, found) for each entry of the folder but "." and "..".
template <typename Visit>
void ForEachEntry(const std::wstring& folder, Visit visit)
{
    WIN32_FIND_DATAW found {};
    const HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..")
            visit(name, found);
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

void RemoveFile(const std::wstring& path)
{
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(path.c_str());
}

// A read-only entry cannot be deleted: its attribute goes first, by the handle that deletes it.
void ClearReadOnly(HANDLE entry, const BY_HANDLE_FILE_INFORMATION& information)
{
    if (!(information.dwFileAttributes & FILE_ATTRIBUTE_READONLY))
        return;
    FILE_BASIC_INFO basic {};
    const DWORD rest = information.dwFileAttributes & ~(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY);
    basic.FileAttributes = rest ? rest : FILE_ATTRIBUTE_NORMAL;
    SetFileInformationByHandle(entry, FileBasicInfo, &basic, sizeof(basic));
}

// Removes the entry of the held folder, a real folder with everything in it, each entry by its own
// handle: a folder is listed only through its handle once that handle has shown a real folder, so
// a link, even one swapped in since the listing, is removed itself and never followed.
CHeldFolder::Deletion RemoveEntry(const CHeldFolder& folder, const std::wstring& name)
{
    return folder.DeleteEntry(name, 0, FILE_WRITE_ATTRIBUTES,
                              [&](HANDLE entry, const BY_HANDLE_FILE_INFORMATION& information) {
        if (IsRealFolder(information.dwFileAttributes)) {
            const CHeldFolder held(folder, name, information.dwVolumeSerialNumber, FileIndexOf(information));
            std::vector<std::wstring> names;
            held.ForEachEntry([&names](const FILE_ID_BOTH_DIR_INFO& found) {
                names.emplace_back(found.FileName, found.FileNameLength / sizeof(WCHAR));
                return true;
            });
            for (const std::wstring& inner : names)
                RemoveEntry(held, inner);
        }
        ClearReadOnly(entry, information);
        return true;
    });
}

// The staging folder of the program folder and everything in it; true when it is gone.
bool RemoveStaging(const std::wstring& programFolder)
{
    const CHeldFolder program(programFolder.substr(0, programFolder.find_last_not_of(L'\\') + 1), 0, 0);
    const CHeldFolder::Deletion removed = RemoveEntry(program, kStagingFolder);
    return removed == CHeldFolder::Deletion::Deleted || removed == CHeldFolder::Deletion::Gone;
}

// The files below the folder, as names relative to it ("res\a.png").
void ListFiles(const std::wstring& folder, const std::wstring& prefix, std::vector<std::wstring>& names)
{
    ForEachEntry(folder, [&](const std::wstring& name, const WIN32_FIND_DATAW& found) {
        if (IsFolderEntry(found))
            ListFiles(folder + L"\\" + name, prefix + name + L"\\", names);
        else
            names.push_back(prefix + name);
    });
}

// Windows knows a program by its name; here a program file needs its mode, so a file that replaces
// another takes the other's mode.
void TakeModeOf(const std::wstring& original, const std::wstring& replacement)
{
    std::error_code error;
    const fs::perms mode = fs::status(platform::HostPath(original), error).permissions();
    if (!error)
        fs::permissions(platform::HostPath(replacement), mode, error);
}

std::string Unpack(const std::wstring& package, const std::wstring& staging)
{
    IUnzipFile* extractor = CreateExtractor();
    if (!extractor)
        return "the Update library cannot be loaded";
    std::string failure;
    if (const OpResult opened = extractor->Open(package.c_str())) {
        failure = "the package cannot be opened (" + ResultText(opened) + ")";
    } else {
        if (!EnsureFolder(staging))
            failure = "the staging folder cannot be made (" + ErrorText(GetLastError()) + ")";
        else if (const OpResult extracted = extractor->ExtractAll(staging.c_str()))
            failure = "the package is damaged (" + ResultText(extracted) + ")";
        extractor->Close();
    }
    extractor->Release();
    return failure;
}

// One placed file: `placed` holds it now; when it took the place of an existing file, that file
// waits at `kept` and goes back to `target` on undo.
struct Placement {
    std::wstring placed;
    std::wstring target;
    std::wstring kept;
};

class CPlacements {
public:
    ~CPlacements()
    {
        if (!committed_)
            Undo();
    }

    bool Place(const std::wstring& staged, const std::wstring& target, bool programFolderFile)
    {
        // A file never takes the place of a folder: the folder and all in it would go.
        const DWORD attributes = GetFileAttributesW(target.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            SetLastError(ERROR_DIRECTORY);
            return false;
        }
        Placement step {target, target, std::wstring()};
        if (Exists(target) && programFolderFile) {
            step.placed = target + kStagedSuffix;
            if (!MoveFileExW(staged.c_str(), step.placed.c_str(), MOVEFILE_REPLACE_EXISTING))
                return false;
            TakeModeOf(target, step.placed);
        } else if (Exists(target)) {
            step.kept = staged + kKeptSuffix;
            if (!MoveFileW(target.c_str(), step.kept.c_str()))
                return false;
            if (!MoveFileW(staged.c_str(), target.c_str())) {
                const DWORD error = GetLastError();
                MoveFileW(step.kept.c_str(), target.c_str());
                SetLastError(error);
                return false;
            }
            TakeModeOf(step.kept, target);
        } else if (!EnsureFolder(FolderOf(target)) || !MoveFileW(staged.c_str(), target.c_str())) {
            return false;
        }
        done_.push_back(step);
        return true;
    }

    void Commit() { committed_ = true; }

private:
    void Undo()
    {
        for (auto step = done_.rbegin(); step != done_.rend(); ++step) {
            RemoveFile(step->placed);
            if (!step->kept.empty())
                MoveFileW(step->kept.c_str(), step->target.c_str());
        }
    }

    std::vector<Placement> done_;
    bool committed_ = false;
};

std::string PlaceFiles(const std::wstring& staging, const std::wstring& programFolder)
{
    std::vector<std::wstring> names;
    ListFiles(staging, std::wstring(), names);
    CPlacements placements;
    for (const std::wstring& name : names) {
        const bool programFolderFile = name.find(L'\\') == std::wstring::npos;
        if (!placements.Place(staging + L"\\" + name, programFolder + name, programFolderFile))
            return platform::ToUtf8(name) + " cannot be placed (" + ErrorText(GetLastError()) + ")";
    }
    placements.Commit();
    return std::string();
}

bool NamesTheStagingFolder(const std::wstring& staging)
{
    bool named = false;
    ForEachEntry(staging, [&named](const std::wstring& name, const WIN32_FIND_DATAW&) {
        named = named || platform::EqualsIgnoringCase(name, kStagingFolder);
    });
    return named;
}

// Unpacks and places the package while the start-up block is set.
std::string InstallWhileBlocked(const std::wstring& package, const std::wstring& programFolder)
{
    CStartupBlock block(programFolder + L"kyphtupdate.ini");
    if (!block.IsSet())
        return "the start-up block cannot be set (" + ErrorText(GetLastError()) + ")";
    const std::wstring staging = programFolder + kStagingFolder;
    // Left by an install that was cut short; a link in its place that stayed would lead the
    // package out of the program folder.
    if (!RemoveStaging(programFolder))
        return "the staging folder of an earlier install cannot be removed (" + ErrorText(GetLastError()) + ")";
    std::string failure = Unpack(package, staging);
    if (failure.empty() && NamesTheStagingFolder(staging))
        failure = "the package would write into the staging folder";
    if (failure.empty())
        failure = PlaceFiles(staging, programFolder);
    RemoveStaging(programFolder);
    return failure;
}

} // namespace

std::string InstallUpdatePackage(const std::wstring& package, const std::wstring& programFolder)
{
    if (!Exists(package))
        return "no package has been downloaded";
    const std::string failure = InstallWhileBlocked(package, programFolder);
    // Only once the block is off, so that the package's absence tells that the install has ended.
    if (failure.empty())
        DeleteFileW(package.c_str());
    return failure;
}
