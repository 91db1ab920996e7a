// The archive layer under the extractor: one open archive over minizip, its entries described as
// Windows sees them, and extraction of one entry to a file.
#pragma once

#include "update/IUnzipFile.h"
#include "update/ZipStreams.h"

#include <minizip/unzip.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CEntryInflater;

enum ZipLayerResult : uint32_t {
    ZIP_OK = 0,
    ZIP_BAD_INDEX = 0x10000,
    ZIP_CANNOT_CREATE = 0x200,      // the output file or folder cannot be made
    ZIP_BAD_HEADER = 0x700,
    ZIP_READ_ERROR = 0x800,
    ZIP_WRITE_ERROR = 0x400,
    ZIP_PASSWORD = 0x1000,
    ZIP_INFLATE_ERROR = 0x5000000,
    ZIP_CHECK_FAILED = 0x6000000,   // the data is not as long as recorded, or its CRC differs
    ZIP_TOO_MANY_ENTRIES = 0x7000000,
    ZIP_TOO_LARGE = 0x8000000,
    ZIP_RATIO = 0x9000000,
};

class CZipArchive {
public:
    // Null when the file or block is not a ZIP archive.
    static std::unique_ptr<CZipArchive> OpenFile(const wchar_t* path);
    static std::unique_ptr<CZipArchive> OpenMemory(const void* data, size_t size);
    ~CZipArchive();
    CZipArchive(const CZipArchive&) = delete;
    CZipArchive& operator=(const CZipArchive&) = delete;

    // The number of entries the archive declares.
    uint64_t EntryCount() const { return entryCount_; }

    // Entry index, or the summary for -1.
    uint32_t Describe(int index, _Zip_Entry_Info_& info);

    // A relative destination lies under the folder that was current when the archive was opened.
    // A directory entry makes its folder; a file entry is written whole or removed again.
    uint32_t Extract(int index, const wchar_t* destPath);
    // Writes file entry index into a file the caller opened for writing, with its times and
    // attributes; what to do with the file on failure is the caller's.
    uint32_t ExtractInto(int index, HANDLE file);
    // Where a destination lies: a relative one under the folder current when the archive was opened.
    std::wstring Destination(const std::wstring& path) const;

    // Whether the whole archive stays within the limits on entries, file entries, total size and
    // ratio, from its central directory alone (nothing is inflated).
    uint32_t CheckLimits();

    // The Windows error of the call that failed the last extraction that ended in ZIP_WRITE_ERROR
    // or ZIP_CANNOT_CREATE (ERROR_DISK_FULL for a full disk): what the file system refused, told
    // apart from what is wrong with the archive.
    DWORD WriteError() const { return writeError_; }

private:
    CZipArchive() = default;
    static std::unique_ptr<CZipArchive> Finish(std::unique_ptr<CZipArchive> archive);
    uint32_t MoveTo(int index);
    // The current entry's directory record and its whole name (raw bytes); false when unreadable.
    bool ReadCurrentInfo(unz_file_info64& raw, std::string& name);
    void EndEntry();
    uint32_t WriteEntry(HANDLE file, uint64_t expectedSize);
    uint32_t InflateLargeEntry(HANDLE file);
    uint32_t ExtractFile(const std::wstring& path);
    // Keeps the calling thread's last error as the write error and returns the layer result.
    uint32_t Refused(uint32_t result);
    // Describes entry index for its extraction and checks that it may be extracted.
    uint32_t Ready(int index, _Zip_Entry_Info_& info);
    // Writes the described file entry into the file, with its times.
    uint32_t WriteOut(HANDLE file);

    std::vector<uint8_t> block_;  // the bytes of an archive opened from memory
    ZipSource source_;
    unzFile zip_ = nullptr;
    std::wstring baseFolder_;
    uint64_t entryCount_ = 0;
    int current_ = -1;            // the entry the reader stands on
    // The current entry is open for reading. Outside an extraction it is open only as describing
    // left it, with nothing read yet.
    bool entryOpen_ = false;
    int cachedIndex_ = -1;
    _Zip_Entry_Info_ cached_ = {};
    bool cachedEncrypted_ = false;
    uint64_t cachedCompressed_ = 0;
    uint64_t cachedUncompressed_ = 0;
    uint32_t cachedCrc_ = 0;
    uLong cachedMethod_ = 0;
    std::vector<char> nameBuffer_;     // made at the first entry read, kept until closed
    std::vector<uint8_t> copyBuffer_;  // made at the first extraction, kept until closed
    std::unique_ptr<CEntryInflater> inflater_;  // made at the first large entry, kept until closed
    std::wstring readyFolder_;         // the folder the last file went to, known to exist
    DWORD writeError_ = ERROR_SUCCESS;
};
