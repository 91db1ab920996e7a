// Deleting files, making and removing folders, and the attributes of names.
#include "DosAttributeStore.h"
#include "Drives.h"
#include "FileObject.h"
#include "FilePaths.h"
#include "FileStatus.h"

#include "platform/win/Errors.h"
#include "platform/win/Files.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

using namespace platform::files;

namespace {

// The status of a name argument; false with the last error set when it cannot be had.
bool StatusOfArgument(LPCWSTR name, std::string& host, FileStatus& status)
{
    host = ResolvePath(name);
    return !host.empty() && (StatusOfPath(host, status) || FailFromErrno(host));
}

bool IsLink(const FileStatus& status) { return status.reparseTag == IO_REPARSE_TAG_SYMLINK; }

// Removes a name, then what the store beside the files kept for it when it was the last name.
bool RemoveName(const std::string& host, const FileStatus& status, bool folder)
{
    if ((folder ? rmdir(host.c_str()) : unlink(host.c_str())) != 0)
        return FailFromErrno(host);
    if (status.links <= 1 || folder)
        DosAttributeStore::Forget({status.device, status.inode});
    return true;
}

} // namespace

BOOL DeleteFileW(LPCWSTR fileName)
{
    std::string host;
    FileStatus status;
    if (!StatusOfArgument(fileName, host, status))
        return FALSE;
    if (status.attributes & FILE_ATTRIBUTE_DIRECTORY)
        return Fail(ERROR_ACCESS_DENIED);
    if (RefuseWhenWriteProtected(host))
        return FALSE;
    if (status.attributes & FILE_ATTRIBUTE_READONLY)
        return Fail(ERROR_ACCESS_DENIED);
    if (FileObject::HeldAgainstDelete(status.device, status.inode))
        return Fail(ERROR_SHARING_VIOLATION);
    return RemoveName(host, status, false);
}

BOOL CreateDirectoryW(LPCWSTR pathName, LPSECURITY_ATTRIBUTES)
{
    const std::string host = ResolvePath(pathName);
    if (host.empty())
        return FALSE;
    struct stat st {};
    if (lstat(host.c_str(), &st) == 0)
        return Fail(ERROR_ALREADY_EXISTS);
    if (RefuseWhenWriteProtected(host))
        return FALSE;
    if (mkdir(host.c_str(), 0777) != 0)
        return FailFromErrno(host);
    // A folder made anew has no attributes, whatever the store beside the files kept for its inode.
    ApplyAttributes(host, 0);
    return TRUE;
}

BOOL RemoveDirectoryW(LPCWSTR pathName)
{
    std::string host;
    FileStatus status;
    if (!StatusOfArgument(pathName, host, status))
        return FALSE;
    if (!(status.attributes & FILE_ATTRIBUTE_DIRECTORY))
        return Fail(ERROR_DIRECTORY);
    if (IsDriveFolder(host))
        return Fail(ERROR_ACCESS_DENIED);
    if (RefuseWhenWriteProtected(host))
        return FALSE;
    if (status.attributes & FILE_ATTRIBUTE_READONLY)
        return Fail(ERROR_ACCESS_DENIED);
    return RemoveName(host, status, !IsLink(status));
}

DWORD GetFileAttributesW(LPCWSTR fileName)
{
    std::string host;
    FileStatus status;
    return StatusOfArgument(fileName, host, status) ? status.attributes : INVALID_FILE_ATTRIBUTES;
}

BOOL SetFileAttributesW(LPCWSTR fileName, DWORD fileAttributes)
{
    std::string host;
    FileStatus status;
    if (!StatusOfArgument(fileName, host, status) || RefuseWhenWriteProtected(host))
        return FALSE;
    return ApplyAttributes(host, fileAttributes) || FailFromErrno(host);
}

BOOL GetFileAttributesExW(LPCWSTR fileName, GET_FILEEX_INFO_LEVELS infoLevel, LPVOID fileInformation)
{
    if (infoLevel != GetFileExInfoStandard || !fileInformation)
        return Fail(ERROR_INVALID_PARAMETER);
    std::string host;
    FileStatus status;
    if (!StatusOfArgument(fileName, host, status))
        return FALSE;
    auto* data = static_cast<WIN32_FILE_ATTRIBUTE_DATA*>(fileInformation);
    data->dwFileAttributes = status.attributes;
    data->ftCreationTime = status.creation;
    data->ftLastAccessTime = status.lastAccess;
    data->ftLastWriteTime = status.lastWrite;
    data->nFileSizeHigh = static_cast<DWORD>(status.size >> 32);
    data->nFileSizeLow = static_cast<DWORD>(status.size);
    return TRUE;
}
