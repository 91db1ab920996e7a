#include "platform/win/Errors.h"

#include <cerrno>

namespace {
thread_local DWORD t_lastError = 0;
}

DWORD GetLastError() { return t_lastError; }

void SetLastError(DWORD error) { t_lastError = error; }

namespace platform {

DWORD ErrorFromErrno(int err)
{
    switch (err) {
    case 0: return ERROR_SUCCESS;
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM: return ERROR_ACCESS_DENIED;
    case EROFS: return ERROR_WRITE_PROTECT;
    case EBADF: return ERROR_INVALID_HANDLE;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case EMFILE:
    case ENFILE: return ERROR_TOO_MANY_OPEN_FILES;
    case EEXIST: return ERROR_ALREADY_EXISTS;
    case EINVAL: return ERROR_INVALID_PARAMETER;
    case ENOSPC:
    case EDQUOT: return ERROR_DISK_FULL;
    case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE;
    case ENOTEMPTY: return ERROR_DIR_NOT_EMPTY;
    case EISDIR: return ERROR_ACCESS_DENIED;
    case EPIPE: return ERROR_BROKEN_PIPE;
    case EBUSY:
    case ETXTBSY: return ERROR_SHARING_VIOLATION;
    case ETIMEDOUT: return ERROR_TIMEOUT;
    case ENOEXEC: return ERROR_BAD_EXE_FORMAT;
    case ELOOP: return ERROR_CANTOPEN;
    case EXDEV: return ERROR_NOT_SUPPORTED;
    case ENOTSUP: return ERROR_NOT_SUPPORTED;
    case EFBIG: return ERROR_FILE_TOO_LARGE;
    default: return ERROR_INVALID_FUNCTION;
    }
}

DWORD SetLastErrorFromErrno()
{
    const DWORD error = ErrorFromErrno(errno);
    SetLastError(error);
    return error;
}

} // namespace platform
