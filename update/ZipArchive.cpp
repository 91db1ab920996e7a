#include "update/ZipArchive.h"

#include "update/EntryInflater.h"
#include "update/EntryMetadata.h"
#include "update/EntryName.h"
#include "common/ParentFolders.h"
#include "update/ZipLimits.h"
#include "update/ZipStreams.h"

#include <algorithm>
#include <climits>

namespace {

// Inflate copies what it writes into its 32 KiB window; pieces much larger than the window spare
// most of that copying, and the writes stay few.
constexpr DWORD kCopyPiece = 256 * 1024;
// From this size on, a deflated entry is inflated beside its writing: below it, starting a thread
// would cost more than it spares.
constexpr uint64_t kLargeEntryBytes = 1 << 20;
constexpr uLong kEncryptedFlag = 0x1;

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool IsAbsolute(const std::wstring& path)
{
    return (!path.empty() && IsSeparator(path[0])) || (path.size() >= 2 && path[1] == L':');
}

std::wstring CurrentFolder()
{
    const DWORD needed = GetCurrentDirectoryW(0, nullptr);
    if (needed == 0)
        return std::wstring();
    std::wstring folder(needed, L'\0');
    const DWORD length = GetCurrentDirectoryW(needed, folder.data());
    folder.resize(length < needed ? length : 0);
    if (!folder.empty() && !IsSeparator(folder.back()))
        folder += L'\\';
    return folder;
}

// General purpose bit 11: the name (and comment) are UTF-8.
constexpr uLong kUtf8Flag = 0x800;
// A name's length field has 16 bits; one more byte holds its end.
constexpr size_t kNameBufferBytes = 0x10000 + 1;

// Separators are ASCII in every encoding a name may have.
bool EndsInSeparator(const std::string& name) { return !name.empty() && (name.back() == '/' || name.back() == '\\'); }

DWORD AttributesOf(const unz_file_info64& raw, const std::string& name)
{
    return EntryAttributes(raw.external_fa, static_cast<uint16_t>(raw.version), EndsInSeparator(name));
}

// The attributes a file entry keeps when extracted.
DWORD KeptAttributes(DWORD attributes)
{
    return attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE);
}

uint32_t LimitResult(uint64_t compressed, uint64_t uncompressed)
{
    if (uncompressed > kZipMaxTotalBytes)
        return ZIP_TOO_LARGE;
    return ExpandsTooFar(compressed, uncompressed) ? ZIP_RATIO : ZIP_OK;
}

} // namespace

std::unique_ptr<CZipArchive> CZipArchive::OpenFile(const wchar_t* path)
{
    std::unique_ptr<CZipArchive> archive(new CZipArchive());
    archive->zip_ = OpenZipFile(path, archive->source_);
    return Finish(std::move(archive));
}

std::unique_ptr<CZipArchive> CZipArchive::OpenMemory(const void* data, size_t size)
{
    std::unique_ptr<CZipArchive> archive(new CZipArchive());
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    archive->block_.assign(bytes, bytes + size);
    archive->zip_ = OpenZipMemory(archive->block_, archive->source_);
    return Finish(std::move(archive));
}

std::unique_ptr<CZipArchive> CZipArchive::Finish(std::unique_ptr<CZipArchive> archive)
{
    unz_global_info64 global = {};
    if (!archive->zip_ || unzGetGlobalInfo64(archive->zip_, &global) != UNZ_OK)
        return nullptr;
    archive->entryCount_ = global.number_entry;
    archive->baseFolder_ = CurrentFolder();
    return archive;
}

CZipArchive::~CZipArchive()
{
    if (zip_) {
        EndEntry();
        unzClose(zip_);
    }
}

void CZipArchive::EndEntry()
{
    if (entryOpen_) {
        unzCloseCurrentFile(zip_);
        entryOpen_ = false;
    }
}

uint32_t CZipArchive::MoveTo(int index)
{
    if (current_ < 0 || index < current_) {
        current_ = -1;
        if (unzGoToFirstFile(zip_) != UNZ_OK)
            return ZIP_BAD_HEADER;
        current_ = 0;
    }
    while (current_ < index) {
        if (unzGoToNextFile(zip_) != UNZ_OK) {
            current_ = -1;
            return ZIP_BAD_HEADER;
        }
        ++current_;
    }
    return ZIP_OK;
}

uint32_t CZipArchive::Describe(int index, _Zip_Entry_Info_& info)
{
    if (index < -1 || (index >= 0 && static_cast<uint64_t>(index) >= entryCount_))
        return ZIP_BAD_INDEX;
    if (index == -1) {
        info = _Zip_Entry_Info_{};
        info.index = static_cast<int32_t>(std::min<uint64_t>(entryCount_, INT32_MAX));
        return ZIP_OK;
    }
    if (index == cachedIndex_) {
        info = cached_;
        return ZIP_OK;
    }
    EndEntry();
    cachedIndex_ = -1;
    if (MoveTo(index) != ZIP_OK)
        return ZIP_BAD_HEADER;

    unz_file_info64 raw = {};
    std::string name;
    if (!ReadCurrentInfo(raw, name) || unzOpenCurrentFile(zip_) != UNZ_OK)
        return ZIP_BAD_HEADER;
    entryOpen_ = true;
    const int extraSize = unzGetLocalExtrafield(zip_, nullptr, 0);
    if (extraSize < 0)
        return ZIP_BAD_HEADER;
    std::vector<uint8_t> extra(static_cast<size_t>(extraSize));
    if (extraSize > 0 && unzGetLocalExtrafield(zip_, extra.data(), static_cast<unsigned>(extraSize)) != extraSize)
        return ZIP_READ_ERROR;

    info = _Zip_Entry_Info_{};
    info.index = index;
    const std::wstring clean = SanitiseEntryName(DecodeEntryName(name, (raw.flag & kUtf8Flag) != 0));
    lstrcpynW(info.name, clean.c_str(), MAX_PATH);
    info.attributes = AttributesOf(raw, name);
    const FILETIME dosTime = DosTimeToFileTime(static_cast<uint32_t>(raw.dosDate));
    EntryTimes times = {dosTime, dosTime, dosTime};
    ApplyExtendedTimes(extra.data(), extra.size(), times);
    info.accessTime = times.access;
    info.creationTime = times.creation;
    info.writeTime = times.write;
    info.compressedSize = static_cast<DWORD>(raw.compressed_size);
    info.uncompressedSize = static_cast<DWORD>(raw.uncompressed_size);

    cached_ = info;
    cachedIndex_ = index;
    cachedEncrypted_ = (raw.flag & kEncryptedFlag) != 0;
    cachedCompressed_ = raw.compressed_size;
    cachedUncompressed_ = raw.uncompressed_size;
    cachedCrc_ = static_cast<uint32_t>(raw.crc);
    cachedMethod_ = raw.compression_method;
    return ZIP_OK;
}

bool CZipArchive::ReadCurrentInfo(unz_file_info64& raw, std::string& name)
{
    if (nameBuffer_.empty())
        nameBuffer_.resize(kNameBufferBytes);
    if (unzGetCurrentFileInfo64(zip_, &raw, nameBuffer_.data(), static_cast<uLong>(nameBuffer_.size()), nullptr, 0,
                                nullptr, 0) != UNZ_OK)
        return false;
    // A name ends at its first NUL, as the C string it is used as.
    name.assign(nameBuffer_.data());
    return true;
}

uint32_t CZipArchive::CheckLimits()
{
    if (entryCount_ > kZipMaxEntries)
        return ZIP_TOO_MANY_ENTRIES;
    EndEntry();
    uint64_t compressed = 0;
    uint64_t uncompressed = 0;
    uint64_t files = 0;
    std::string name;
    for (uint64_t index = 0; index < entryCount_; ++index) {
        unz_file_info64 raw = {};
        if (MoveTo(static_cast<int>(index)) != ZIP_OK || !ReadCurrentInfo(raw, name))
            return ZIP_BAD_HEADER;
        if (const uint32_t entry = LimitResult(raw.compressed_size, raw.uncompressed_size))
            return entry;
        // Folders are made only as the parents of files: what costs is the files.
        if (!(AttributesOf(raw, name) & FILE_ATTRIBUTE_DIRECTORY) && ++files > kZipMaxFileEntries)
            return ZIP_TOO_MANY_ENTRIES;
        compressed += raw.compressed_size;
        uncompressed += raw.uncompressed_size;
    }
    return LimitResult(compressed, uncompressed);
}

uint32_t CZipArchive::Ready(int index, _Zip_Entry_Info_& info)
{
    if (index < 0 || static_cast<uint64_t>(index) >= entryCount_)
        return ZIP_BAD_INDEX;
    if (const uint32_t described = Describe(index, info))
        return described;
    if (const uint32_t limited = LimitResult(cachedCompressed_, cachedUncompressed_))
        return limited;
    return !(info.attributes & FILE_ATTRIBUTE_DIRECTORY) && cachedEncrypted_ ? ZIP_PASSWORD : ZIP_OK;
}

std::wstring CZipArchive::Destination(const std::wstring& path) const
{
    return IsAbsolute(path) ? path : baseFolder_ + path;
}

uint32_t CZipArchive::Extract(int index, const wchar_t* destPath)
{
    _Zip_Entry_Info_ info;
    if (const uint32_t ready = Ready(index, info))
        return ready;
    const std::wstring path = Destination(destPath);
    if (info.attributes & FILE_ATTRIBUTE_DIRECTORY)
        return EnsureFolder(path) ? ZIP_OK : Refused(ZIP_CANNOT_CREATE);
    // Entries of one folder follow each other; its existence is checked once for all of them.
    const std::wstring folder = FolderOf(path);
    if (folder != readyFolder_) {
        if (!EnsureFolder(folder))
            return Refused(ZIP_CANNOT_CREATE);
        readyFolder_ = folder;
    }
    return ExtractFile(path);
}

uint32_t CZipArchive::ExtractInto(int index, HANDLE file)
{
    _Zip_Entry_Info_ info;
    if (const uint32_t ready = Ready(index, info))
        return ready;
    if (info.attributes & FILE_ATTRIBUTE_DIRECTORY)
        return ZIP_BAD_INDEX;
    if (const uint32_t written = WriteOut(file))
        return written;
    FILE_BASIC_INFO basic {};
    basic.FileAttributes = KeptAttributes(cached_.attributes);
    return !basic.FileAttributes || SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof(basic))
               ? ZIP_OK
               : Refused(ZIP_WRITE_ERROR);
}

uint32_t CZipArchive::Refused(uint32_t result)
{
    writeError_ = GetLastError();
    return result;
}

uint32_t CZipArchive::ExtractFile(const std::wstring& path)
{
    const DWORD attributes = KeptAttributes(cached_.attributes);
    const auto create = [&] {
        return CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, attributes, nullptr);
    };
    HANDLE file = create();
    // The folder was known to exist from an earlier entry; it may have gone since.
    if (file == INVALID_HANDLE_VALUE && EnsureFolder(FolderOf(path)))
        file = create();
    if (file == INVALID_HANDLE_VALUE) {
        const uint32_t refused = Refused(ZIP_CANNOT_CREATE);
        EndEntry();
        readyFolder_.clear();
        return refused;
    }
    uint32_t result = WriteOut(file);
    if (!CloseHandle(file) && result == ZIP_OK)
        result = Refused(ZIP_WRITE_ERROR);
    if (result != ZIP_OK) {
        if (attributes & FILE_ATTRIBUTE_READONLY)
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path.c_str());
    }
    return result;
}

uint32_t CZipArchive::WriteOut(HANDLE file)
{
    // Describing the entry may have opened it already, and nothing has read from it since.
    if (!entryOpen_) {
        if (MoveTo(cachedIndex_) != ZIP_OK || unzOpenCurrentFile(zip_) != UNZ_OK)
            return ZIP_BAD_HEADER;
        entryOpen_ = true;
    }
    const uint32_t result = cachedMethod_ == Z_DEFLATED && cachedUncompressed_ >= kLargeEntryBytes
                                ? InflateLargeEntry(file)
                                : WriteEntry(file, cachedUncompressed_);
    if (result == ZIP_OK)
        SetFileTime(file, &cached_.creationTime, &cached_.accessTime, &cached_.writeTime);
    return result;
}

uint32_t CZipArchive::InflateLargeEntry(HANDLE file)
{
    // minizip found the data behind the local header when it opened the entry; its own reading
    // is left unused.
    const ZPOS64_T offset = unzGetCurrentFileZStreamPos64(zip_);
    EndEntry();
    if (offset == 0)
        return ZIP_BAD_HEADER;
    if (!inflater_)
        inflater_ = std::make_unique<CEntryInflater>();
    const uint32_t result = inflater_->Extract(source_, {offset, cachedCompressed_, cachedUncompressed_, cachedCrc_}, file);
    if (result == ZIP_WRITE_ERROR)
        writeError_ = inflater_->WriteError();
    return result;
}

uint32_t CZipArchive::WriteEntry(HANDLE file, uint64_t expectedSize)
{
    if (copyBuffer_.empty())
        copyBuffer_.resize(kCopyPiece);
    uint64_t written = 0;
    for (;;) {
        const int read = unzReadCurrentFile(zip_, copyBuffer_.data(), kCopyPiece);
        if (read < 0) {
            EndEntry();
            return read == UNZ_ERRNO ? ZIP_READ_ERROR : ZIP_INFLATE_ERROR;
        }
        if (read == 0)
            break;
        DWORD done = 0;
        if (!WriteFile(file, copyBuffer_.data(), static_cast<DWORD>(read), &done, nullptr) ||
            done != static_cast<DWORD>(read)) {
            const uint32_t refused = Refused(ZIP_WRITE_ERROR);
            EndEntry();
            return refused;
        }
        written += static_cast<uint64_t>(read);
    }
    // minizip stops at the recorded size and checks the CRC only when all of it came out.
    const bool whole = written == expectedSize;
    entryOpen_ = false;
    const int closed = unzCloseCurrentFile(zip_);
    if (!whole)
        return ZIP_INFLATE_ERROR;
    return closed == UNZ_OK ? ZIP_OK : ZIP_CHECK_FAILED;
}
