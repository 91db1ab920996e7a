#include "update/UnzipFile.h"

#include "update/EntryName.h"
#include "update/FileEntry.h"
#include "update/UpdateResults.h"

#include "common/ParentFolders.h"
#include "common/HeldFolder.h"
#include "platform/Text.h"

#include <algorithm>
#include <memory>
#include <new>
#include <set>

namespace {

const wchar_t kTemporarySuffix[] = L".TMP";

// What a failed extraction of the archive layer means to a caller: the extraction failed, and the
// high half tells an archive refused for its limits, and a file the file system would not take
// (with the error of the call it refused, ERROR_DISK_FULL for a full disk), from a damaged entry.
OpResult ExtractionFailure(uint32_t layerResult, DWORD writeError)
{
    switch (layerResult) {
    case ZIP_TOO_MANY_ENTRIES:
    case ZIP_TOO_LARGE:
    case ZIP_RATIO: return UpdateFailure(SITE_EXTRACT_FAILED, ERROR_INVALID_DATA);
    case ZIP_BAD_HEADER: return UpdateFailure(SITE_ENTRY_UNREADABLE);
    case ZIP_WRITE_ERROR:
    case ZIP_CANNOT_CREATE: return UpdateFailure(SITE_EXTRACT_FAILED, writeError);
    default: return UpdateFailure(SITE_EXTRACT_FAILED);
    }
}

// The names of the files one extraction wrote, relative to its folder, compared as the machine's
// file system compares names: ignoring case.
struct IgnoringCase {
    bool operator()(const std::wstring& a, const std::wstring& b) const { return platform::CompareIgnoringCase(a, b) < 0; }
};

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// The parts of a contained entry name between separators, "." parts left out.
std::vector<std::wstring> PartsOf(const std::wstring& name)
{
    std::vector<std::wstring> parts;
    for (size_t start = 0; start <= name.size();) {
        size_t end = start;
        while (end < name.size() && !IsSeparator(name[end]))
            ++end;
        if (end > start && name.compare(start, end - start, L".") != 0)
            parts.push_back(name.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

// The folders of one extraction, each held by handle from the extraction's folder down and made
// where missing; the extraction's folder itself is asked for when the first file needs it. The
// last one is kept: the entries of one folder follow each other.
class CEntryFolders {
public:
    explicit CEntryFolders(const CUnzipFile::DestinationFolder& destination) : destination_(destination) {}

    // The held folder of all parts but the last, the file's name; null with error set.
    const CHeldFolder* FolderOf(const std::vector<std::wstring>& parts, DWORD& error)
    {
        if (!root_ && !(root_ = destination_(error)))
            return nullptr;
        const std::vector<std::wstring> folders(parts.begin(), parts.end() - 1);
        if (folders.empty())
            return root_;
        if (last_ && folders.size() == lastParts_.size() &&
            std::equal(folders.begin(), folders.end(), lastParts_.begin(),
                       [](const std::wstring& a, const std::wstring& b) { return platform::EqualsIgnoringCase(a, b); }))
            return last_.get();
        last_ = HoldFoldersBelow(*root_, folders, error);
        if (!last_)
            return nullptr;
        lastParts_ = folders;
        return last_.get();
    }

private:
    const CUnzipFile::DestinationFolder& destination_;
    const CHeldFolder* root_ = nullptr;
    std::unique_ptr<CHeldFolder> last_;
    std::vector<std::wstring> lastParts_;
};

// A folder that cannot be extracted into: Windows' error for it.
DWORD FolderError(const CHeldFolder& folder)
{
    return folder.GetState() == CHeldFolder::State::Gone ? ERROR_PATH_NOT_FOUND : ERROR_DIRECTORY;
}

// Deletes a file the extraction made, by its handle, and closes the handle.
void Discard(HANDLE file)
{
    FILE_BASIC_INFO basic {};
    basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof(basic));
    DeleteByHandle(file);
    CloseHandle(file);
}

} // namespace

CUnzipFile::~CUnzipFile() { Close(); }

OpResult CUnzipFile::Open(const wchar_t* zipPath)
{
    if (!zipPath)
        return UpdateFailure(SITE_OPEN_NO_PATH);
    Close();
    return Opened(CZipArchive::OpenFile(zipPath));
}

OpResult CUnzipFile::OpenMemory(const void* data, DWORD size)
{
    if (!data || size == 0)
        return UpdateFailure(SITE_OPEN_MEMORY_EMPTY);
    Close();
    return Opened(CZipArchive::OpenMemory(data, size));
}

OpResult CUnzipFile::Opened(std::unique_ptr<CZipArchive> archive)
{
    if (!archive)
        return UpdateFailure(SITE_OPEN_NOT_ZIP);
    archive_ = std::move(archive);
    opened_ = true;
    return RESULT_OK;
}

OpResult CUnzipFile::Close()
{
    archive_.reset();
    opened_ = false;
    return RESULT_OK;
}

void CUnzipFile::Release() { delete this; }

OpResult CUnzipFile::GetEntry(int index, IFileEntry** out)
{
    if (!opened_)
        return UpdateFailure(SITE_ENTRY_NOT_OPEN);
    if (!out)
        return UpdateFailure(SITE_ENTRY_NO_PLACE);
    std::unique_ptr<_Zip_Entry_Info_> info(new (std::nothrow) _Zip_Entry_Info_());
    if (!info)
        return UpdateFailure(SITE_ENTRY_NO_MEMORY);
    if (archive_->Describe(index < 0 ? -1 : index, *info) != ZIP_OK)
        return UpdateFailure(SITE_ENTRY_UNREADABLE);
    *out = new (std::nothrow) CFileEntry(std::move(info));
    return *out ? RESULT_OK : UpdateFailure(SITE_ENTRY_OBJECT_NO_MEMORY);
}

OpResult CUnzipFile::ExtractEntry(int index, const wchar_t* destPath)
{
    if (!destPath || index < 0)
        return UpdateFailure(SITE_EXTRACT_BAD_ARGUMENT);
    if (!opened_)
        return UpdateFailure(SITE_EXTRACT_NOT_OPEN);
    const uint32_t result = archive_->Extract(index, destPath);
    return result == ZIP_OK ? RESULT_OK : ExtractionFailure(result, archive_->WriteError());
}

OpResult CUnzipFile::ReadyForAll()
{
    if (!opened_)
        return UpdateFailure(SITE_EXTRACT_ALL_NOT_OPEN);
    if (const uint32_t limits = archive_->CheckLimits())
        return ExtractionFailure(limits, ERROR_SUCCESS);
    return RESULT_OK;
}

OpResult CUnzipFile::ExtractAll(const wchar_t* destFolder)
{
    if (!destFolder)
        return UpdateFailure(SITE_EXTRACT_ALL_NO_FOLDER);
    if (const OpResult ready = ReadyForAll())
        return ready;
    std::wstring folder = archive_->Destination(destFolder);
    while (folder.size() > 1 && IsSeparator(folder.back()) && folder[folder.size() - 2] != L':')
        folder.pop_back();
    // Made only when a file goes into it, and held as the folder it is, never through a link.
    std::unique_ptr<CHeldFolder> held;
    return ExtractAllFiles([&](DWORD& error) -> const CHeldFolder* {
        if (!EnsureFolder(folder)) {
            error = GetLastError();
            return nullptr;
        }
        held = std::make_unique<CHeldFolder>(folder, 0, 0);
        if (held->GetState() == CHeldFolder::State::Held)
            return held.get();
        error = FolderError(*held);
        return nullptr;
    });
}

OpResult CUnzipFile::ExtractAllInto(HANDLE destFolder)
{
    if (!destFolder || destFolder == INVALID_HANDLE_VALUE)
        return UpdateFailure(SITE_EXTRACT_ALL_NO_FOLDER);
    if (const OpResult ready = ReadyForAll())
        return ready;
    const CHeldFolder held(destFolder);
    return ExtractAllFiles([&](DWORD& error) -> const CHeldFolder* {
        error = FolderError(held);
        return held.GetState() == CHeldFolder::State::Held ? &held : nullptr;
    });
}

// Every file entry is tried; the first failure is the result. Two entries never land on one file:
// a later one whose file (or whose ".TMP" file) an earlier one wrote is refused, not merged.
OpResult CUnzipFile::ExtractAllFiles(const DestinationFolder& destFolder)
{
    OpResult result = RESULT_OK;
    std::set<std::wstring, IgnoringCase> written;
    CEntryFolders folders(destFolder);
    const uint64_t count = archive_->EntryCount();
    for (uint64_t index = 0; index < count; ++index) {
        _Zip_Entry_Info_ info;
        if (archive_->Describe(static_cast<int>(index), info) != ZIP_OK)
            return result != RESULT_OK ? result : UpdateFailure(SITE_ENTRY_UNREADABLE);
        if (info.attributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        OpResult entry = RESULT_OK;
        const std::vector<std::wstring> parts = PartsOf(info.name);
        std::wstring key;
        for (const std::wstring& part : parts)
            key += (key.empty() ? L"" : L"\\") + part;
        DWORD error = ERROR_SUCCESS;
        const CHeldFolder* folder = nullptr;
        if (!IsContainedEntryName(info.name) || parts.empty())
            entry = UpdateFailure(SITE_EXTRACT_FAILED, ERROR_INVALID_NAME);
        else if (written.count(key) || written.count(key + kTemporarySuffix))
            entry = UpdateFailure(SITE_EXTRACT_FAILED, ERROR_FILE_EXISTS);
        else if (!(folder = folders.FolderOf(parts, error)))
            entry = UpdateFailure(SITE_EXTRACT_FAILED, error);
        else if ((entry = ExtractToFinalName(static_cast<int>(index), *folder, parts.back())) == RESULT_OK)
            written.insert(key);
        if (result == RESULT_OK)
            result = entry;
    }
    return result;
}

// Only a whole entry reaches its final name: it is written to "<name>.TMP" first.
OpResult CUnzipFile::ExtractToFinalName(int index, const CHeldFolder& folder, const std::wstring& name)
{
    DWORD error = ERROR_SUCCESS;
    const HANDLE file = folder.CreateEntry(name + kTemporarySuffix, GENERIC_WRITE | DELETE, FILE_OVERWRITE_IF,
                                           FILE_NON_DIRECTORY_FILE, FILE_ATTRIBUTE_NORMAL, error);
    if (!file)
        return UpdateFailure(SITE_EXTRACT_FAILED, error);
    const uint32_t extracted = archive_->ExtractInto(index, file);
    if (extracted == ZIP_OK && folder.MoveHere(file, name, true))
        return CloseHandle(file) ? RESULT_OK : UpdateFailure(SITE_EXTRACT_FAILED, GetLastError());
    const OpResult failure = extracted != ZIP_OK ? ExtractionFailure(extracted, archive_->WriteError())
                                                 : UpdateFailure(SITE_EXTRACT_FAILED, GetLastError());
    Discard(file);
    return failure;
}
