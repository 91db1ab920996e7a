// The ZIP extractor of the Update library, handed out by the export CreateUnzipFile. Neither
// interface is reference counted: Release deletes the object.
#pragma once

#include "common/OpResult.h"
#include "platform/Windows.h"

// One entry of an archive, or the summary (index = the number of entries, empty name).
struct _Zip_Entry_Info_ {
    int32_t index;
    wchar_t name[MAX_PATH];  // sanitised: no drive, no leading separator (see EntryName.h)
    DWORD attributes;        // FILE_ATTRIBUTE_* bits
    FILETIME accessTime;     // UTC
    FILETIME creationTime;
    FILETIME writeTime;
    DWORD compressedSize;
    DWORD uncompressedSize;
};

class IFileEntry {
public:
    virtual ~IFileEntry() = default;
    virtual void Release() = 0;
    virtual int GetIndex() = 0;
    // Valid while the entry lives.
    virtual const wchar_t* GetName() = 0;
    virtual int IsDirectory() = 0;
};

class IUnzipFile {
public:
    virtual ~IUnzipFile() = default;
    // Opens the archive read-only; on failure the object stays closed. Close an open archive
    // before opening another.
    virtual OpResult Open(const wchar_t* zipPath) = 0;
    virtual OpResult Close() = 0;
    virtual void Release() = 0;
    // A negative index asks for the summary. On success *out is a new entry the caller releases.
    virtual OpResult GetEntry(int index, IFileEntry** out) = 0;
    // Extracts one entry to a file (or makes the folder of a directory entry); a relative path
    // lies under the current folder of the moment the archive was opened.
    virtual OpResult ExtractEntry(int index, const wchar_t* destPath) = 0;
    // Extracts every file entry below the folder, each through a ".TMP" file that replaces the
    // final one only when the entry came out whole. Entry names that would leave the folder are
    // refused, and so is an entry that would land on a file an earlier entry wrote (names are
    // compared as the file system compares them, ignoring case); an archive over the limits on
    // size, ratio or number of files is refused before anything is written. 0 only when every
    // file entry was extracted; otherwise the first failure, whose high half tells why:
    // ERROR_INVALID_NAME, ERROR_FILE_EXISTS, ERROR_INVALID_DATA (limits), or the error of the call
    // that failed.
    virtual OpResult ExtractAll(const wchar_t* destFolder) = 0;
    // Opens an archive held in memory; the block is copied, so the caller may free it at once.
    virtual OpResult OpenMemory(const void* data, DWORD size) = 0;
    // ExtractAll into a folder held by its handle (one that lists, from CreateFileW or NtCreateFile):
    // every sub-folder and file is made relative to folders held by handle from it down, and never
    // through a link, so that no name swapped for a link while the extraction runs leads a file
    // elsewhere. ExtractAll of a path extracts into the folder at the path this way.
    virtual OpResult ExtractAllInto(HANDLE destFolder) = 0;
};

extern "C" IUnzipFile* CreateUnzipFile();
