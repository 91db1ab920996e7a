#include "PackageInstall.h"

#include "StartupBlock.h"
#include "UpdateLibrary.h"

#include "common/HeldFolder.h"
#include "common/HeldFolderRemoval.h"
#include "platform/HostMode.h"
#include "platform/Text.h"
#include "platform/Windows.h"
#include "update/IUnzipFile.h"

#include <functional>
#include <map>
#include <memory>
#include <vector>

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

std::function<void(InstallStep)>& StepHook()
{
    static std::function<void(InstallStep)> hook;
    return hook;
}

void Reached(InstallStep step)
{
    if (StepHook())
        StepHook()(step);
}

std::wstring NameOf(const FILE_ID_BOTH_DIR_INFO& found)
{
    return std::wstring(found.FileName, found.FileNameLength / sizeof(WCHAR));
}

// The staging folder of the program folder and everything in it; true when it is gone.
bool RemoveStaging(const CHeldFolder& program)
{
    return IsRemoved(RemoveHeldEntry(program, kStagingFolder));
}

// The unpacked package as the held staging folder lists it: its folders held by handle from the
// staging folder down, and each file by its folder and name.
class CStagedFiles {
public:
    struct File {
        const CHeldFolder* folder;        // the staging folder it lies in
        std::vector<std::wstring> place;  // the folders below the program folder it goes to
        std::wstring name;
        std::wstring relative;            // its name relative to the staging folder ("res\\a.png")
    };

    explicit CStagedFiles(const CHeldFolder& staging) { List(staging, {}); }

    // False when a folder of the staging folder could not be held.
    bool Whole() const { return whole_; }
    const std::vector<File>& Files() const { return files_; }

private:
    void List(const CHeldFolder& folder, const std::vector<std::wstring>& place)
    {
        folder.ForEachEntry([&](const FILE_ID_BOTH_DIR_INFO& found) {
            const std::wstring name = NameOf(found);
            if (!IsRealFolder(found.FileAttributes)) {
                std::wstring relative;
                for (const std::wstring& inner : place)
                    relative += inner + L"\\";
                files_.push_back({&folder, place, name, relative + name});
                return true;
            }
            folders_.push_back(std::make_unique<CHeldFolder>(folder, name, folder.Volume(),
                                                             static_cast<uint64_t>(found.FileId.QuadPart)));
            std::vector<std::wstring> inner = place;
            inner.push_back(name);
            if (folders_.back()->GetState() == CHeldFolder::State::Held)
                List(*folders_.back(), inner);
            else
                whole_ = false;
            return true;
        });
    }

    std::vector<std::unique_ptr<CHeldFolder>> folders_;
    std::vector<File> files_;
    bool whole_ = true;
};

std::string Unpack(const std::wstring& package, const CHeldFolder& staging)
{
    IUnzipFile* extractor = CreateExtractor();
    if (!extractor)
        return "the Update library cannot be loaded";
    std::string failure;
    if (const OpResult opened = extractor->Open(package.c_str())) {
        failure = "the package cannot be opened (" + ResultText(opened) + ")";
    } else {
        if (const OpResult extracted = extractor->ExtractAllInto(staging.Handle()))
            failure = "the package is damaged (" + ResultText(extracted) + ")";
        extractor->Close();
    }
    extractor->Release();
    return failure;
}

struct IgnoringCaseLess {
    bool operator()(const std::wstring& a, const std::wstring& b) const { return platform::CompareIgnoringCase(a, b) < 0; }
};

// One placed file: `placed` in the target's folder holds it now; when it took the place of an
// existing file, that file waits at `kept` in the staging folder and goes back on undo.
struct Placement {
    const CHeldFolder* folder;
    std::wstring placed;
    std::wstring target;
    const CHeldFolder* keptFolder;
    std::wstring kept;
};

class CPlacements {
public:
    explicit CPlacements(const CHeldFolder& program) : program_(program) {}

    ~CPlacements()
    {
        if (!committed_)
            Undo();
    }

    // The folder a staged file goes to, held from the program folder down and made where missing.
    const CHeldFolder* FolderOf(const std::vector<std::wstring>& place)
    {
        if (place.empty())
            return &program_;
        std::wstring key;
        for (const std::wstring& name : place)
            key += name + L"\\";
        auto known = folders_.find(key);
        if (known == folders_.end()) {
            DWORD error = ERROR_SUCCESS;
            std::unique_ptr<CHeldFolder> folder = HoldFoldersBelow(program_, place, error);
            if (!folder) {
                SetLastError(error);
                return nullptr;
            }
            known = folders_.emplace(key, std::move(folder)).first;
        }
        return known->second.get();
    }

    // Places the staged file in the folder, under its own name.
    bool Place(const CStagedFiles::File& staged, const CHeldFolder& folder)
    {
        DWORD error = ERROR_SUCCESS;
        const HANDLE file = staged.folder->OpenEntry(staged.name, DELETE | FILE_READ_ATTRIBUTES, FILE_NON_DIRECTORY_FILE, error);
        BY_HANDLE_FILE_INFORMATION information {};
        if (!file || !GetFileInformationByHandle(file, &information) ||
            (information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
            // Only what the package unpacked is placed: never a link someone put in its place.
            if (file)
                CloseHandle(file);
            SetLastError(file ? ERROR_ACCESS_DENIED : error);
            return false;
        }
        const bool placed = Place(file, staged, folder);
        error = GetLastError();
        CloseHandle(file);
        SetLastError(error);
        return placed;
    }

    void Commit() { committed_ = true; }

private:
    bool Place(HANDLE file, const CStagedFiles::File& staged, const CHeldFolder& folder)
    {
        DWORD error = ERROR_SUCCESS;
        const HANDLE existing = folder.OpenEntry(staged.name, DELETE | FILE_READ_ATTRIBUTES, 0, error);
        BY_HANDLE_FILE_INFORMATION information {};
        if (existing && !GetFileInformationByHandle(existing, &information)) {
            error = GetLastError();
            CloseHandle(existing);
            SetLastError(error);
            return false;
        }
        // A file never takes the place of a folder: the folder and all in it would go.
        if (existing && (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            CloseHandle(existing);
            SetLastError(ERROR_DIRECTORY);
            return false;
        }
        const bool programFolderFile = staged.place.empty();
        Placement step {&folder, staged.name, staged.name, nullptr, std::wstring()};
        bool placed = false;
        if (existing && programFolderFile) {
            step.placed = staged.name + kStagedSuffix;
            placed = folder.MoveHere(file, step.placed, true);
        } else if (existing) {
            step.keptFolder = staged.folder;
            step.kept = staged.name + kKeptSuffix;
            placed = staged.folder->MoveHere(existing, step.kept, false) && TakePlace(file, step, existing);
        } else {
            placed = folder.MoveHere(file, staged.name, false);
        }
        if (placed) {
            done_.push_back(step);
            // Windows knows a program by its name; here a program file needs its mode, so a file
            // that replaces another takes the other's.
            placed = !existing || platform::TakeHostMode(file, existing);
        }
        error = GetLastError();
        if (existing)
            CloseHandle(existing);
        SetLastError(error);
        return placed;
    }

    // Moves the staged file to the target's name, and the kept file back where that fails.
    bool TakePlace(HANDLE file, const Placement& step, HANDLE kept)
    {
        if (!step.folder->MoveHere(file, step.target, false)) {
            const DWORD error = GetLastError();
            step.folder->MoveHere(kept, step.target, false);
            SetLastError(error);
            return false;
        }
        return true;
    }

    void Undo()
    {
        for (auto step = done_.rbegin(); step != done_.rend(); ++step) {
            step->folder->DeleteEntry(step->placed, FILE_NON_DIRECTORY_FILE, FILE_WRITE_ATTRIBUTES,
                                      [](HANDLE entry, const BY_HANDLE_FILE_INFORMATION& information) {
                ClearReadOnly(entry, information);
                return true;
            });
            if (step->kept.empty())
                continue;
            DWORD error = ERROR_SUCCESS;
            if (const HANDLE kept = step->keptFolder->OpenEntry(step->kept, DELETE | FILE_READ_ATTRIBUTES, 0, error)) {
                step->folder->MoveHere(kept, step->target, false);
                CloseHandle(kept);
            }
        }
    }

    const CHeldFolder& program_;
    std::map<std::wstring, std::unique_ptr<CHeldFolder>, IgnoringCaseLess> folders_;
    std::vector<Placement> done_;
    bool committed_ = false;
};

std::string PlaceFiles(const CHeldFolder& staging, const CHeldFolder& program)
{
    const CStagedFiles staged(staging);
    if (!staged.Whole())
        return "the staging folder has changed";
    CPlacements placements(program);
    for (const CStagedFiles::File& file : staged.Files()) {
        const CHeldFolder* folder = placements.FolderOf(file.place);
        if (!folder || !placements.Place(file, *folder))
            return platform::ToUtf8(file.relative) + " cannot be placed (" + ErrorText(GetLastError()) + ")";
    }
    placements.Commit();
    return std::string();
}

bool NamesTheStagingFolder(const CHeldFolder& staging)
{
    return !staging.ForEachEntry(
        [](const FILE_ID_BOTH_DIR_INFO& found) { return !platform::EqualsIgnoringCase(NameOf(found), kStagingFolder); });
}

// Unpacks and places the package while the start-up block is set.
std::string InstallWhileBlocked(const std::wstring& package, const std::wstring& programFolder)
{
    CStartupBlock block(programFolder + L"kyphtupdate.ini");
    if (!block.IsSet())
        return "the start-up block cannot be set (" + ErrorText(GetLastError()) + ")";
    const CHeldFolder program(programFolder.substr(0, programFolder.find_last_not_of(L'\\') + 1), 0, 0);
    if (program.GetState() != CHeldFolder::State::Held)
        return "the program folder cannot be held (" + ErrorText(GetLastError()) + ")";
    // Left by an install that was cut short; a link in its place that stayed would lead the
    // package out of the program folder.
    if (!RemoveStaging(program))
        return "the staging folder of an earlier install cannot be removed (" + ErrorText(GetLastError()) + ")";
    Reached(InstallStep::StagingRemoved);
    // Made anew and held: whatever takes its name from now on, the package goes into this folder.
    const CHeldFolder staging(program, kStagingFolder, CHeldFolder::Making::New);
    if (staging.GetState() != CHeldFolder::State::Held)
        return "the staging folder cannot be made (" + ErrorText(staging.Error()) + ")";
    Reached(InstallStep::StagingMade);
    std::string failure = Unpack(package, staging);
    if (failure.empty() && NamesTheStagingFolder(staging))
        failure = "the package would write into the staging folder";
    if (failure.empty())
        failure = PlaceFiles(staging, program);
    // Through its handle, wherever its name has gone since; then whatever has its name now.
    EmptyHeldFolder(staging);
    RemoveStaging(program);
    return failure;
}

} // namespace

void SetInstallStepHook(std::function<void(InstallStep)> hook)
{
    StepHook() = std::move(hook);
}

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
