// Deleting files, making and removing folders, and the attributes of names.
#include "DosAttributeStore.h"
#include "Drives.h"
#include "FileObject.h"
#include "FilePaths.h"
#include "FileStatus.h"
#include "ShareModes.h"

#include "platform/win/Errors.h"
#include "platform/win/Files.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace platform::files;

namespace {

// The status of a name argument; false with the last error set when it cannot be had.
bool StatusOfArgument(LPCWSTR name, Place& place, FileStatus& status)
{
    return ResolvePath(name, place) && (StatusOfPlace(place, status) || FailFromErrno(place));
}

bool IsLink(const FileStatus& status) { return status.reparseTag == IO_REPARSE_TAG_SYMLINK; }

// Removes a name, then what the store beside the files kept for it when it was the last name.
bool RemoveName(const Place& place, const FileStatus& status, bool folder)
{
    if (place.name == "." || unlinkat(place.parent->Fd(), place.name.c_str(), folder ? AT_REMOVEDIR : 0) != 0)
        return place.name == "." ? Fail(ERROR_ACCESS_DENIED) : FailFromErrno(place);
    if (status.links <= 1 || folder)
        DosAttributeStore::Forget(status.Id());
    return true;
}

} // namespace

BOOL DeleteFileW(LPCWSTR fileName)
{
    Place place;
    FileStatus status;
    if (!StatusOfArgument(fileName, place, status))
        return FALSE;
    const OwnRights rights(place.own);
    if (status.attributes & FILE_ATTRIBUTE_DIRECTORY)
        return Fail(ERROR_ACCESS_DENIED);
    if (RefuseWhenWriteProtected(place))
        return FALSE;
    if (status.attributes & FILE_ATTRIBUTE_READONLY)
        return Fail(ERROR_ACCESS_DENIED);
    if (HeldAgainstDelete(place, status))
        return Fail(ERROR_SHARING_VIOLATION);
    return RemoveName(place, status, false);
}

BOOL CreateDirectoryW(LPCWSTR pathName, LPSECURITY_ATTRIBUTES)
{
    Place place;
    if (!ResolvePath(pathName, place))
        return FALSE;
    const OwnRights rights(place.own);
    if (place.exists)
        return Fail(ERROR_ALREADY_EXISTS);
    if (!place.parent)
        return Fail(ERROR_PATH_NOT_FOUND);
    if (RefuseWhenWriteProtected(place))
        return FALSE;
    if (mkdirat(place.parent->Fd(), place.name.c_str(), 0777) != 0)
        return errno == EEXIST ? Fail(ERROR_ALREADY_EXISTS) : FailFromErrno(place);
    return TRUE;
}

BOOL RemoveDirectoryW(LPCWSTR pathName)
{
    Place place;
    FileStatus status;
    if (!StatusOfArgument(pathName, place, status))
        return FALSE;
    const OwnRights rights(place.own);
    if (!(status.attributes & FILE_ATTRIBUTE_DIRECTORY))
        return Fail(ERROR_DIRECTORY);
    if (IsDriveFolder(place.host))
        return Fail(ERROR_ACCESS_DENIED);
    if (RefuseWhenWriteProtected(place))
        return FALSE;
    if (status.attributes & FILE_ATTRIBUTE_READONLY)
        return Fail(ERROR_ACCESS_DENIED);
    if (HeldAgainstDelete(place, status))
        return Fail(ERROR_SHARING_VIOLATION);
    return RemoveName(place, status, !IsLink(status));
}

DWORD GetFileAttributesW(LPCWSTR fileName)
{
    Place place;
    FileStatus status;
    return StatusOfArgument(fileName, place, status) ? status.attributes : INVALID_FILE_ATTRIBUTES;
}

BOOL SetFileAttributesW(LPCWSTR fileName, DWORD fileAttributes)
{
    Place place;
    FileStatus status;
    if (!StatusOfArgument(fileName, place, status) || RefuseWhenWriteProtected(place))
        return FALSE;
    const OwnRights rights(place.own);
    const int fd = place.Open(O_PATH);
    if (fd < 0)
        return FailFromErrno(place);
    const bool applied = ApplyAttributes(fd, fileAttributes);
    const int err = errno;
    close(fd);
    errno = err;
    return applied || FailFromErrno(place);
}

BOOL GetFileAttributesExW(LPCWSTR fileName, GET_FILEEX_INFO_LEVELS infoLevel, LPVOID fileInformation)
{
    if (infoLevel != GetFileExInfoStandard || !fileInformation)
        return Fail(ERROR_INVALID_PARAMETER);
    Place place;
    FileStatus status;
    if (!StatusOfArgument(fileName, place, status))
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
