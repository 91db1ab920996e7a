#include "update/UnzipFile.h"

#include "update/EntryName.h"
#include "update/FileEntry.h"
#include "update/UpdateResults.h"

#include "platform/Text.h"

#include <new>
#include <set>

namespace {

const wchar_t kTemporarySuffix[] = L".TMP";

// What a failed extraction of the archive layer means to a caller: the extraction failed, and the
// high half tells an archive refused for its limits from a damaged or unwritable entry.
OpResult ExtractionFailure(uint32_t layerResult)
{
    switch (layerResult) {
    case ZIP_TOO_MANY_ENTRIES:
    case ZIP_TOO_LARGE:
    case ZIP_RATIO: return UpdateFailure(SITE_EXTRACT_FAILED, ERROR_INVALID_DATA);
    case ZIP_BAD_HEADER: return UpdateFailure(SITE_ENTRY_UNREADABLE);
    default: return UpdateFailure(SITE_EXTRACT_FAILED);
    }
}

// The full paths of the files one extraction wrote, compared as the machine's file system
// compares names: ignoring case.
struct IgnoringCase {
    bool operator()(const std::wstring& a, const std::wstring& b) const { return platform::CompareIgnoringCase(a, b) < 0; }
};

std::wstring FullPath(const std::wstring& path)
{
    const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    std::wstring full(needed, L'\0');
    const DWORD length = needed ? GetFullPathNameW(path.c_str(), needed, full.data(), nullptr) : 0;
    full.resize(length < needed ? length : 0);
    return full.empty() ? path : full;
}

bool EndsInSeparator(const std::wstring& path) { return !path.empty() && (path.back() == L'\\' || path.back() == L'/'); }

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
    return result == ZIP_OK ? RESULT_OK : ExtractionFailure(result);
}

OpResult CUnzipFile::ExtractAll(const wchar_t* destFolder)
{
    if (!destFolder)
        return UpdateFailure(SITE_EXTRACT_ALL_NO_FOLDER);
    if (!opened_)
        return UpdateFailure(SITE_EXTRACT_ALL_NOT_OPEN);
    if (const uint32_t limits = archive_->CheckLimits())
        return ExtractionFailure(limits);
    std::wstring folder = destFolder;
    if (!EndsInSeparator(folder))
        folder += L'\\';
    return ExtractAllFiles(folder);
}

// Every file entry is tried; the first failure is the result. Two entries never land on one file:
// a later one whose file (or whose ".TMP" file) an earlier one wrote is refused, not merged.
OpResult CUnzipFile::ExtractAllFiles(const std::wstring& destFolder)
{
    OpResult result = RESULT_OK;
    std::set<std::wstring, IgnoringCase> written;
    const uint64_t count = archive_->EntryCount();
    for (uint64_t index = 0; index < count; ++index) {
        _Zip_Entry_Info_ info;
        if (archive_->Describe(static_cast<int>(index), info) != ZIP_OK)
            return result != RESULT_OK ? result : UpdateFailure(SITE_ENTRY_UNREADABLE);
        if (info.attributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        OpResult entry = RESULT_OK;
        const std::wstring path = destFolder + info.name;
        const std::wstring full = FullPath(path);
        if (!IsContainedEntryName(info.name))
            entry = UpdateFailure(SITE_EXTRACT_FAILED, ERROR_INVALID_NAME);
        else if (written.count(full) || written.count(full + kTemporarySuffix))
            entry = UpdateFailure(SITE_EXTRACT_FAILED, ERROR_FILE_EXISTS);
        else if ((entry = ExtractToFinalName(static_cast<int>(index), path)) == RESULT_OK)
            written.insert(full);
        if (result == RESULT_OK)
            result = entry;
    }
    return result;
}

// Only a whole entry reaches its final name: it is written to "<path>.TMP" first.
OpResult CUnzipFile::ExtractToFinalName(int index, const std::wstring& path)
{
    const std::wstring temporary = path + kTemporarySuffix;
    if (const OpResult extracted = ExtractEntry(index, temporary.c_str()))
        return extracted;
    if (MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING))
        return RESULT_OK;
    const DWORD error = GetLastError();
    SetFileAttributesW(temporary.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(temporary.c_str());
    return UpdateFailure(SITE_EXTRACT_FAILED, error);
}
