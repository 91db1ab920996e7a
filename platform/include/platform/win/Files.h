// Files and folders: handles, attributes, moves and copies, enumeration, path names and the C
// runtime's wide file functions. Every path may be a Windows path (resolved through the drive map,
// "." and ".." folded as Windows folds them) or a host path.
//
// Windows' own attributes (read-only, hidden, system, archive, temporary, offline, not content
// indexed) are kept per file in the extended attribute "user.DOSATTRIB" as text: "0x" and the
// attribute bits in hexadecimal ("0x22" is hidden and archive). A file without it has the
// attributes its mode implies: FILE_ATTRIBUTE_ARCHIVE for a plain file, read-only when the owner
// may not write it; a folder has FILE_ATTRIBUTE_DIRECTORY alone. A name starting with "." does not
// make a file hidden. Where the host file system keeps no user extended attributes, the value is
// kept in the machine root's "dosattrib" folder, one file per host file (named by device and
// inode). Links and mount points are reported as reparse points and never followed by
// enumeration.
//
// Sharing modes are enforced among the handles of this process.
#pragma once

#include "platform/win/Errors.h"
#include "platform/win/Types.h"

#include <cstdio>

#pragma GCC visibility push(default)


#define FILE_READ_DATA 0x0001u
#define FILE_LIST_DIRECTORY 0x0001u
#define FILE_WRITE_DATA 0x0002u
#define FILE_APPEND_DATA 0x0004u
#define FILE_READ_EA 0x0008u
#define FILE_WRITE_EA 0x0010u
#define FILE_EXECUTE 0x0020u
#define FILE_READ_ATTRIBUTES 0x0080u
#define FILE_WRITE_ATTRIBUTES 0x0100u

#define FILE_SHARE_READ 0x00000001u
#define FILE_SHARE_WRITE 0x00000002u
#define FILE_SHARE_DELETE 0x00000004u

#define CREATE_NEW 1
#define CREATE_ALWAYS 2
#define OPEN_EXISTING 3
#define OPEN_ALWAYS 4
#define TRUNCATE_EXISTING 5

#define FILE_ATTRIBUTE_READONLY 0x00000001u
#define FILE_ATTRIBUTE_HIDDEN 0x00000002u
#define FILE_ATTRIBUTE_SYSTEM 0x00000004u
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010u
#define FILE_ATTRIBUTE_ARCHIVE 0x00000020u
#define FILE_ATTRIBUTE_DEVICE 0x00000040u
#define FILE_ATTRIBUTE_NORMAL 0x00000080u
#define FILE_ATTRIBUTE_TEMPORARY 0x00000100u
#define FILE_ATTRIBUTE_SPARSE_FILE 0x00000200u
#define FILE_ATTRIBUTE_REPARSE_POINT 0x00000400u
#define FILE_ATTRIBUTE_COMPRESSED 0x00000800u
#define FILE_ATTRIBUTE_OFFLINE 0x00001000u
#define FILE_ATTRIBUTE_NOT_CONTENT_INDEXED 0x00002000u
#define FILE_ATTRIBUTE_ENCRYPTED 0x00004000u
#define INVALID_FILE_ATTRIBUTES 0xFFFFFFFFu

#define FILE_FLAG_OPEN_REPARSE_POINT 0x00200000u
#define FILE_FLAG_BACKUP_SEMANTICS 0x02000000u
#define FILE_FLAG_DELETE_ON_CLOSE 0x04000000u
#define FILE_FLAG_SEQUENTIAL_SCAN 0x08000000u
#define FILE_FLAG_RANDOM_ACCESS 0x10000000u
#define FILE_FLAG_NO_BUFFERING 0x20000000u
#define FILE_FLAG_OVERLAPPED 0x40000000u
#define FILE_FLAG_WRITE_THROUGH 0x80000000u

#define IO_REPARSE_TAG_MOUNT_POINT 0xA0000003u
#define IO_REPARSE_TAG_SYMLINK 0xA000000Cu

#define FILE_BEGIN 0
#define FILE_CURRENT 1
#define FILE_END 2
#define INVALID_SET_FILE_POINTER 0xFFFFFFFFu
#define INVALID_FILE_SIZE 0xFFFFFFFFu

#define MOVEFILE_REPLACE_EXISTING 0x00000001u
#define MOVEFILE_COPY_ALLOWED 0x00000002u
#define MOVEFILE_DELAY_UNTIL_REBOOT 0x00000004u
#define MOVEFILE_WRITE_THROUGH 0x00000008u

#define FIND_FIRST_EX_CASE_SENSITIVE 0x00000001u
#define FIND_FIRST_EX_LARGE_FETCH 0x00000002u

typedef struct _WIN32_FIND_DATAW {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD dwReserved0;  // the reparse tag of a reparse point
    DWORD dwReserved1;
    WCHAR cFileName[MAX_PATH];
    WCHAR cAlternateFileName[14];  // short names are not kept: always empty
} WIN32_FIND_DATAW, *PWIN32_FIND_DATAW, *LPWIN32_FIND_DATAW;

typedef struct _WIN32_FILE_ATTRIBUTE_DATA {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
} WIN32_FILE_ATTRIBUTE_DATA, *LPWIN32_FILE_ATTRIBUTE_DATA;

typedef struct _BY_HANDLE_FILE_INFORMATION {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD dwVolumeSerialNumber;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD nNumberOfLinks;
    DWORD nFileIndexHigh;
    DWORD nFileIndexLow;
} BY_HANDLE_FILE_INFORMATION, *LPBY_HANDLE_FILE_INFORMATION;

// What GetFileInformationByHandleEx reads and SetFileInformationByHandle changes; only the classes
// the system uses are given.
typedef enum _FILE_INFO_BY_HANDLE_CLASS {
    FileBasicInfo = 0,
    FileRenameInfo = 3,
    FileDispositionInfo = 4,
    FileIdBothDirectoryInfo = 10,
    FileIdBothDirectoryRestartInfo = 11,
} FILE_INFO_BY_HANDLE_CLASS;

// Times of zero and attributes of zero are left as they are.
typedef struct _FILE_BASIC_INFO {
    LARGE_INTEGER CreationTime;
    LARGE_INTEGER LastAccessTime;
    LARGE_INTEGER LastWriteTime;
    LARGE_INTEGER ChangeTime;
    DWORD FileAttributes;
} FILE_BASIC_INFO, *PFILE_BASIC_INFO;

// FileNameLength counts bytes (of host wide characters); the name is not terminated.
typedef struct _FILE_RENAME_INFO {
    union {
        BOOLEAN ReplaceIfExists;
        DWORD Flags;
    };
    HANDLE RootDirectory;
    DWORD FileNameLength;
    WCHAR FileName[1];
} FILE_RENAME_INFO, *PFILE_RENAME_INFO;

typedef struct _FILE_DISPOSITION_INFO {
    BOOLEAN DeleteFile;
} FILE_DISPOSITION_INFO, *PFILE_DISPOSITION_INFO;

// One entry of a folder listed through its handle; FileNameLength counts bytes (of host wide
// characters), the name is not terminated, and the next entry starts NextEntryOffset bytes further
// (0 for the last of a call).
typedef struct _FILE_ID_BOTH_DIR_INFO {
    DWORD NextEntryOffset;
    DWORD FileIndex;
    LARGE_INTEGER CreationTime;
    LARGE_INTEGER LastAccessTime;
    LARGE_INTEGER LastWriteTime;
    LARGE_INTEGER ChangeTime;
    LARGE_INTEGER EndOfFile;
    LARGE_INTEGER AllocationSize;
    DWORD FileAttributes;
    DWORD FileNameLength;
    DWORD EaSize;
    CHAR ShortNameLength;
    WCHAR ShortName[12];
    LARGE_INTEGER FileId;
    WCHAR FileName[1];
} FILE_ID_BOTH_DIR_INFO, *PFILE_ID_BOTH_DIR_INFO;

typedef enum _GET_FILEEX_INFO_LEVELS { GetFileExInfoStandard, GetFileExMaxInfoLevel } GET_FILEEX_INFO_LEVELS;
typedef enum _FINDEX_INFO_LEVELS { FindExInfoStandard, FindExInfoBasic, FindExInfoMaxInfoLevel } FINDEX_INFO_LEVELS;
typedef enum _FINDEX_SEARCH_OPS {
    FindExSearchNameMatch,
    FindExSearchLimitToDirectories,
    FindExSearchLimitToDevices,
    FindExSearchMaxSearchOp
} FINDEX_SEARCH_OPS;

// Handles. Opening "\\.\C:" or "\\.\PhysicalDrive0" gives a device handle for DeviceIoControl.
HANDLE CreateFileW(LPCWSTR fileName, DWORD desiredAccess, DWORD shareMode, LPSECURITY_ATTRIBUTES security,
                   DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE templateFile);
// The narrow form takes UTF-8 text.
HANDLE CreateFileA(LPCSTR fileName, DWORD desiredAccess, DWORD shareMode, LPSECURITY_ATTRIBUTES security,
                   DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE templateFile);
DWORD SetFilePointer(HANDLE file, LONG distanceToMove, PLONG distanceToMoveHigh, DWORD moveMethod);
BOOL SetFilePointerEx(HANDLE file, LARGE_INTEGER distanceToMove, PLARGE_INTEGER newFilePointer, DWORD moveMethod);
BOOL SetEndOfFile(HANDLE file);
DWORD GetFileSize(HANDLE file, LPDWORD fileSizeHigh);
BOOL GetFileSizeEx(HANDLE file, PLARGE_INTEGER fileSize);
BOOL GetFileTime(HANDLE file, LPFILETIME creationTime, LPFILETIME lastAccessTime, LPFILETIME lastWriteTime);
// The creation time is the host's and cannot be changed; the other two can.
BOOL SetFileTime(HANDLE file, const FILETIME* creationTime, const FILETIME* lastAccessTime, const FILETIME* lastWriteTime);
BOOL GetFileInformationByHandle(HANDLE file, LPBY_HANDLE_FILE_INFORMATION information);
// The volume serial is the drive's, the file index the host's inode number.
// FileIdBothDirectoryInfo lists a folder opened with FILE_FLAG_BACKUP_SEMANTICS, as many entries as
// the buffer holds a call ("." and ".." left out, links and mount points reported, never entered;
// FileId is the entry's file index); FileIdBothDirectoryRestartInfo starts again from the first.
// ERROR_NO_MORE_FILES at the end, ERROR_MORE_DATA when not one entry fits.
BOOL GetFileInformationByHandleEx(HANDLE file, FILE_INFO_BY_HANDLE_CLASS informationClass, LPVOID information,
                                  DWORD bufferSize);
// FileDispositionInfo deletes exactly the opened file (a handle with DELETE access), or empty folder,
// at once: the name it was opened through must still name it in the folder the open went through,
// and is removed from that folder without a second path lookup; a link is removed, never followed.
// FileRenameInfo moves exactly the opened file or folder (a handle with DELETE access) the same way,
// to a single name in the folder RootDirectory (a folder handle), or in its own folder without one;
// neither name is followed where it is a link. Without ReplaceIfExists an existing name fails with
// ERROR_ALREADY_EXISTS; a folder is never replaced. The handle names the file at its new place.
// Deleting FALSE takes back a FILE_FLAG_DELETE_ON_CLOSE of the handle. FileBasicInfo sets the
// attributes and the last access and write times (a handle with FILE_WRITE_ATTRIBUTES access); the
// creation and change times are the host's to keep.
BOOL SetFileInformationByHandle(HANDLE file, FILE_INFO_BY_HANDLE_CLASS informationClass, LPVOID information,
                                DWORD bufferSize);

// Operations on names.
BOOL DeleteFileW(LPCWSTR fileName);
BOOL MoveFileW(LPCWSTR existingFileName, LPCWSTR newFileName);
// MOVEFILE_DELAY_UNTIL_REBOOT records the rename in the machine root's "pending-renames.txt", one
// line per operation: the source's Windows path, a tab, the target's (empty to delete), in UTF-8.
BOOL MoveFileExW(LPCWSTR existingFileName, LPCWSTR newFileName, DWORD flags);
BOOL CopyFileW(LPCWSTR existingFileName, LPCWSTR newFileName, BOOL failIfExists);
BOOL CreateDirectoryW(LPCWSTR pathName, LPSECURITY_ATTRIBUTES security);
BOOL RemoveDirectoryW(LPCWSTR pathName);
DWORD GetFileAttributesW(LPCWSTR fileName);
BOOL SetFileAttributesW(LPCWSTR fileName, DWORD fileAttributes);
BOOL GetFileAttributesExW(LPCWSTR fileName, GET_FILEEX_INFO_LEVELS infoLevel, LPVOID fileInformation);

// Enumeration: in the order the host returns entries, "." and ".." first in folders other than
// a drive's root.
HANDLE FindFirstFileW(LPCWSTR fileName, LPWIN32_FIND_DATAW findFileData);
HANDLE FindFirstFileExW(LPCWSTR fileName, FINDEX_INFO_LEVELS infoLevel, LPVOID findFileData,
                        FINDEX_SEARCH_OPS searchOp, LPVOID searchFilter, DWORD additionalFlags);
BOOL FindNextFileW(HANDLE findFile, LPWIN32_FIND_DATAW findFileData);
BOOL FindClose(HANDLE findFile);

// Path names. A rooted path without a drive ("\usr\share") stays a host path, as everywhere in the
// layer; short names are not kept, so the short and the long form of a path are the same.
DWORD GetFullPathNameW(LPCWSTR fileName, DWORD bufferLength, LPWSTR buffer, LPWSTR* filePart);
DWORD GetLongPathNameW(LPCWSTR shortPath, LPWSTR longPath, DWORD bufferLength);
DWORD GetShortPathNameW(LPCWSTR longPath, LPWSTR shortPath, DWORD bufferLength);
DWORD GetCurrentDirectoryW(DWORD bufferLength, LPWSTR buffer);
DWORD GetCurrentDirectoryA(DWORD bufferLength, LPSTR buffer);
BOOL SetCurrentDirectoryW(LPCWSTR pathName);
UINT GetTempFileNameW(LPCWSTR pathName, LPCWSTR prefixString, UINT unique, LPWSTR tempFileName);

// The C runtime's wide file functions; they report through errno. "ccs=" modes are refused
// (EINVAL). _wopen gives a descriptor of the C runtime (here the host's, for QFile::open(int)),
// opened as CreateFileW opens the path; without _S_IWRITE in the permission a new file is
// read-only.
#define _O_RDONLY 0x0000
#define _O_WRONLY 0x0001
#define _O_RDWR 0x0002
#define _O_APPEND 0x0008
#define _O_NOINHERIT 0x0080
#define _O_CREAT 0x0100
#define _O_TRUNC 0x0200
#define _O_EXCL 0x0400
#define _O_BINARY 0x8000
#define _S_IWRITE 0x0080
#define _S_IREAD 0x0100
int _wopen(const wchar_t* fileName, int openFlag, int permissionMode = _S_IREAD | _S_IWRITE);
FILE* _wfopen(const wchar_t* fileName, const wchar_t* mode);
errno_t _wfopen_s(FILE** file, const wchar_t* fileName, const wchar_t* mode);
int _wremove(const wchar_t* fileName);
int _wrename(const wchar_t* oldName, const wchar_t* newName);

#pragma GCC visibility pop
