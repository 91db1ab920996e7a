#include "PackagePlacement.h"

#include "InstallSteps.h"

#include "common/HeldFolderRemoval.h"
#include "platform/HostMode.h"
#include "platform/Text.h"
#include "platform/Windows.h"

#include <map>
#include <memory>

namespace {

const wchar_t kStagedSuffix[] = L".TMP";
constexpr DWORD kCopyPiece = 1 << 20;

std::string ErrorText(DWORD error)
{
    return "error " + std::to_string(error);
}

// Closes the handle when it goes.
struct Handle {
    HANDLE value = nullptr;
    ~Handle()
    {
        if (value)
            CloseHandle(value);
    }
};

std::wstring Joined(const std::vector<std::wstring>& place)
{
    std::wstring text;
    for (const std::wstring& part : place)
        text += (text.empty() ? L"" : L"\\") + part;
    return text;
}

bool IsFile(const CInstallJournal::Step& step, HANDLE entry)
{
    BY_HANDLE_FILE_INFORMATION information {};
    return GetFileInformationByHandle(entry, &information) && information.dwVolumeSerialNumber == step.volume &&
           FileIndexOf(information) == step.fileIndex;
}

// The unpacked package as the held folder lists it: its folders held by handle from it down, and
// each file by its folder and name.
class CStagedFiles {
public:
    struct File {
        const CHeldFolder* folder;        // the unpacked folder it lies in
        std::vector<std::wstring> place;  // the folders below the program folder it goes to
        std::wstring name;
    };

    explicit CStagedFiles(const CHeldFolder& unpacked) { List(unpacked, {}); }

    // False when a folder of the unpacked package could not be held.
    bool Whole() const { return whole_; }
    const std::vector<File>& Files() const { return files_; }

private:
    void List(const CHeldFolder& folder, const std::vector<std::wstring>& place)
    {
        folder.ForEachEntry([&](const FILE_ID_BOTH_DIR_INFO& found) {
            const std::wstring name = EntryName(found);
            if (!IsRealFolder(found.FileAttributes)) {
                files_.push_back({&folder, place, name});
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

struct IgnoringCaseLess {
    bool operator()(const std::wstring& a, const std::wstring& b) const { return platform::CompareIgnoringCase(a, b) < 0; }
};

// The folders below a root that placings reach, each held from the root down and made where
// missing, kept for the next file of the same folder.
class CFoldersBelow {
public:
    explicit CFoldersBelow(const CHeldFolder& root) : root_(root) {}

    // Null with the Windows error set.
    const CHeldFolder* Of(const std::vector<std::wstring>& folders)
    {
        if (folders.empty())
            return &root_;
        auto known = held_.find(Joined(folders));
        if (known == held_.end()) {
            DWORD error = ERROR_SUCCESS;
            std::unique_ptr<CHeldFolder> folder = HoldFoldersBelow(root_, folders, error);
            if (!folder) {
                SetLastError(error);
                return nullptr;
            }
            known = held_.emplace(Joined(folders), std::move(folder)).first;
        }
        return known->second.get();
    }

private:
    const CHeldFolder& root_;
    std::map<std::wstring, std::unique_ptr<CHeldFolder>, IgnoringCaseLess> held_;
};

// Copies the file, its bytes, attributes, times and mode, to a new file of the folder.
bool CopyInto(HANDLE from, const CHeldFolder& folder, const std::wstring& name)
{
    DWORD error = ERROR_SUCCESS;
    Handle copy {folder.CreateEntry(name, GENERIC_WRITE | FILE_WRITE_ATTRIBUTES, FILE_CREATE, FILE_NON_DIRECTORY_FILE,
                                    FILE_ATTRIBUTE_NORMAL, error)};
    if (!copy.value) {
        SetLastError(error);
        return false;
    }
    std::vector<uint8_t> piece(kCopyPiece);
    for (;;) {
        DWORD read = 0;
        DWORD written = 0;
        if (!ReadFile(from, piece.data(), kCopyPiece, &read, nullptr))
            return false;
        if (read == 0)
            break;
        if (!WriteFile(copy.value, piece.data(), read, &written, nullptr))
            return false;
        if (written != read) {
            SetLastError(ERROR_DISK_FULL);
            return false;
        }
    }
    BY_HANDLE_FILE_INFORMATION information {};
    if (!FlushFileBuffers(copy.value) || !GetFileInformationByHandle(from, &information) ||
        !platform::TakeHostMode(copy.value, from))
        return false;
    FILE_BASIC_INFO basic {};
    const auto time = [](const FILETIME& t) {
        LARGE_INTEGER value {};
        value.QuadPart = static_cast<LONGLONG>((static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
        return value;
    };
    basic.CreationTime = time(information.ftCreationTime);
    basic.LastWriteTime = time(information.ftLastWriteTime);
    basic.FileAttributes = information.dwFileAttributes & ~FILE_ATTRIBUTE_DIRECTORY;
    return SetFileInformationByHandle(copy.value, FileBasicInfo, &basic, sizeof(basic)) != FALSE;
}

class CPlacer {
public:
    CPlacer(const CHeldFolder& kept, const CHeldFolder& program, CInstallJournal& journal)
        : program_(program), kept_(kept), journal_(journal)
    {
    }

    // False with the Windows error set.
    bool Place(const CStagedFiles::File& staged)
    {
        const CHeldFolder* folder = program_.Of(staged.place);
        if (!folder)
            return false;
        DWORD error = ERROR_SUCCESS;
        Handle file {staged.folder->OpenEntry(staged.name, DELETE | FILE_READ_ATTRIBUTES, FILE_NON_DIRECTORY_FILE, error)};
        CInstallJournal::Step step;
        BY_HANDLE_FILE_INFORMATION information {};
        if (!file.value || !GetFileInformationByHandle(file.value, &information))
            return Failed(file.value ? GetLastError() : error);
        // Only what the package unpacked is placed: never a link someone put in its place.
        if (information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
            return Failed(ERROR_ACCESS_DENIED);
        step.volume = information.dwVolumeSerialNumber;
        step.fileIndex = FileIndexOf(information);

        Handle existing;
        if (!OpenFileOrNothing(*folder, staged.name, existing))
            return false;
        const std::wstring target = existing.value && staged.place.empty() ? staged.name + kStagedSuffix : staged.name;
        step.place = staged.place;
        step.place.push_back(target);
        Handle replaced;
        if (!OpenFileOrNothing(*folder, target, replaced))
            return false;
        if (replaced.value) {
            const CHeldFolder* keptFolder = kept_.Of(staged.place);
            if (!keptFolder || !CopyInto(replaced.value, *keptFolder, target))
                return false;
            step.kept = true;
        }
        // Windows knows a program by its name; here a program file needs its mode, so a file that
        // replaces another takes the other's.
        if (existing.value && !platform::TakeHostMode(file.value, existing.value))
            return false;
        if (!journal_.Write(step))
            return false;
        ReachedInstallStep(InstallStep::Placing);
        if (!folder->MoveHere(file.value, target, true))
            return false;
        ReachedInstallStep(InstallStep::Placed);
        return true;
    }

private:
    static bool Failed(DWORD error)
    {
        SetLastError(error);
        return false;
    }

    // Opens the file of that name to read, or nothing where there is none; false with the Windows
    // error set where the name holds a folder (a file never takes the place of a folder and all in
    // it) or cannot be opened.
    static bool OpenFileOrNothing(const CHeldFolder& folder, const std::wstring& name, Handle& file)
    {
        DWORD error = ERROR_SUCCESS;
        file.value = folder.OpenEntry(name, GENERIC_READ | FILE_READ_ATTRIBUTES, 0, error);
        if (!file.value)
            return folder_chain::IsGone(error) || Failed(error);
        BY_HANDLE_FILE_INFORMATION information {};
        if (!GetFileInformationByHandle(file.value, &information))
            return false;
        return !(information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || Failed(ERROR_DIRECTORY);
    }

    CFoldersBelow program_;
    CFoldersBelow kept_;
    CInstallJournal& journal_;
};

// The folder of a place's file, held from the root down without making any; null where one is
// missing, with error set where one could not be had for another reason.
std::unique_ptr<CHeldFolder> HoldExisting(const CHeldFolder& root, const std::vector<std::wstring>& place, DWORD& error)
{
    std::unique_ptr<CHeldFolder> folder = std::make_unique<CHeldFolder>(root.Handle());
    for (size_t i = 0; i + 1 < place.size(); ++i) {
        folder = std::make_unique<CHeldFolder>(*folder, place[i], 0, 0);
        if (folder->GetState() == CHeldFolder::State::Gone)
            return nullptr;
        if (folder->GetState() != CHeldFolder::State::Held) {
            error = ERROR_DIRECTORY;
            return nullptr;
        }
    }
    return folder;
}

// Undoes one placing where its name still holds the file it placed. Empty on success.
std::string Undo(const CInstallJournal::Step& step, const CHeldFolder& kept, const CHeldFolder& program)
{
    DWORD error = ERROR_SUCCESS;
    const std::unique_ptr<CHeldFolder> folder = HoldExisting(program, step.place, error);
    if (!folder)
        return error == ERROR_SUCCESS ? std::string() : ErrorText(error);
    const std::wstring& name = step.place.back();
    if (!step.kept) {
        const CHeldFolder::Deletion deletion = folder->DeleteEntry(
            name, FILE_NON_DIRECTORY_FILE, FILE_WRITE_ATTRIBUTES,
            [&step](HANDLE entry, const BY_HANDLE_FILE_INFORMATION& information) {
                if (information.dwVolumeSerialNumber != step.volume || FileIndexOf(information) != step.fileIndex)
                    return false;
                ClearReadOnly(entry, information);
                return true;
            });
        return deletion == CHeldFolder::Deletion::Denied ? ErrorText(GetLastError()) : std::string();
    }
    Handle placed {folder->OpenEntry(name, FILE_READ_ATTRIBUTES, FILE_NON_DIRECTORY_FILE, error)};
    if (!placed.value || !IsFile(step, placed.value))
        return std::string();
    const std::unique_ptr<CHeldFolder> keptFolder = HoldExisting(kept, step.place, error);
    Handle copy {keptFolder ? keptFolder->OpenEntry(name, DELETE | FILE_READ_ATTRIBUTES, FILE_NON_DIRECTORY_FILE, error)
                            : nullptr};
    if (!copy.value)
        return "the kept file is missing (" + ErrorText(error) + ")";
    return folder->MoveHere(copy.value, name, true) ? std::string() : ErrorText(GetLastError());
}

} // namespace

std::string PlacePackage(const CHeldFolder& unpacked, const CHeldFolder& kept, const CHeldFolder& program,
                         CInstallJournal& journal)
{
    const CStagedFiles staged(unpacked);
    if (!staged.Whole())
        return "the staging folder has changed";
    CPlacer placer(kept, program, journal);
    std::string failure;
    for (const CStagedFiles::File& file : staged.Files()) {
        if (placer.Place(file))
            continue;
        std::vector<std::wstring> place = file.place;
        place.push_back(file.name);
        failure = platform::ToUtf8(Joined(place)) + " cannot be placed (" + ErrorText(GetLastError()) + ")";
        break;
    }
    if (failure.empty() && !journal.Complete())
        failure = "the install cannot be recorded as complete (" + ErrorText(GetLastError()) + ")";
    return failure;
}

std::string UndoPlacements(const std::vector<CInstallJournal::Step>& steps, const CHeldFolder& kept,
                           const CHeldFolder& program)
{
    for (auto step = steps.rbegin(); step != steps.rend(); ++step)
        if (const std::string failure = Undo(*step, kept, program); !failure.empty())
            return platform::ToUtf8(Joined(step->place)) + " cannot be put back (" + failure + ")";
    return std::string();
}
