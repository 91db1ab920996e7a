// The C runtime's wide file functions, over the layer's own file functions so that paths, Windows
// attributes and write-protected drives behave as for CreateFileW.
#include "FileObject.h"

#include "platform/win/Errors.h"
#include "platform/win/Files.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>

using namespace platform::files;

namespace {

// The C runtime's errno for a Windows error.
int ErrnoFromError(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return EACCES;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return EEXIST;
    case ERROR_DISK_FULL: return ENOSPC;
    case ERROR_TOO_MANY_OPEN_FILES: return EMFILE;
    case ERROR_NOT_ENOUGH_MEMORY: return ENOMEM;
    case ERROR_DIR_NOT_EMPTY: return ENOTEMPTY;
    case ERROR_NOT_SAME_DEVICE: return EXDEV;
    default: return EINVAL;
    }
}

struct OpenMode {
    DWORD access = 0;
    DWORD disposition = 0;
    std::string hostMode;  // what fdopen is given
};

// Reads a C runtime mode ("r", "w+b", "a", "wx", ...); false for what it does not know.
bool ParseMode(const wchar_t* mode, OpenMode& parsed)
{
    if (!mode || std::wcsstr(mode, L"ccs="))
        return false;
    bool plus = false, exclusive = false;
    for (const wchar_t* c = mode + 1; *c; ++c) {
        if (*c == L'+')
            plus = true;
        else if (*c == L'x')
            exclusive = true;
        else if (!std::wcschr(L"btcnSRTDN", *c))
            return false;
    }
    switch (mode[0]) {
    case L'r': parsed.access = GENERIC_READ; parsed.disposition = OPEN_EXISTING; break;
    case L'w': parsed.access = GENERIC_WRITE; parsed.disposition = exclusive ? CREATE_NEW : CREATE_ALWAYS; break;
    case L'a': parsed.access = GENERIC_WRITE; parsed.disposition = OPEN_ALWAYS; break;
    default: return false;
    }
    if (plus)
        parsed.access = GENERIC_READ | GENERIC_WRITE;
    parsed.hostMode = std::string(1, static_cast<char>(mode[0])) + (plus ? "+" : "");
    return true;
}

int FailWithErrno(int err)
{
    errno = err;
    return -1;
}

// Opens the path as CreateFileW does and gives the host descriptor of the file opened; -1 with
// errno set.
int OpenDescriptor(const wchar_t* fileName, DWORD access, DWORD disposition, DWORD attributes)
{
    const HANDLE handle =
        CreateFileW(fileName, access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, disposition, attributes, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return FailWithErrno(ErrnoFromError(GetLastError()));
    // A device name opens no file a descriptor could read.
    const FileObject* file = FileObject::FromHandle(handle);
    const int fd = file ? fcntl(file->Descriptor(), F_DUPFD_CLOEXEC, 0) : -1;
    const int err = file ? errno : EINVAL;
    CloseHandle(handle);
    return fd >= 0 ? fd : FailWithErrno(err);
}

} // namespace

int _wopen(const wchar_t* fileName, int openFlag, int permissionMode)
{
    const int known = _O_RDONLY | _O_WRONLY | _O_RDWR | _O_APPEND | _O_NOINHERIT | _O_CREAT | _O_TRUNC | _O_EXCL | _O_BINARY;
    const int accessMode = openFlag & (_O_WRONLY | _O_RDWR);
    if (!fileName || (openFlag & ~known) || accessMode == (_O_WRONLY | _O_RDWR))
        return FailWithErrno(EINVAL);
    const DWORD access = accessMode == _O_RDWR ? GENERIC_READ | GENERIC_WRITE
                         : accessMode == _O_WRONLY ? GENERIC_WRITE
                                                   : GENERIC_READ;
    const bool create = openFlag & _O_CREAT, truncate = openFlag & _O_TRUNC;
    const DWORD disposition = create && (openFlag & _O_EXCL) ? CREATE_NEW
                              : create && truncate           ? CREATE_ALWAYS
                              : create                       ? OPEN_ALWAYS
                              : truncate                     ? TRUNCATE_EXISTING
                                                             : OPEN_EXISTING;
    const DWORD attributes = (permissionMode & _S_IWRITE) ? FILE_ATTRIBUTE_NORMAL : FILE_ATTRIBUTE_READONLY;
    const int fd = OpenDescriptor(fileName, access, disposition, attributes);
    if (fd >= 0 && (openFlag & _O_APPEND) && fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_APPEND) != 0) {
        const int err = errno;
        close(fd);
        return FailWithErrno(err);
    }
    return fd;
}

FILE* _wfopen(const wchar_t* fileName, const wchar_t* mode)
{
    OpenMode parsed;
    if (!fileName || !ParseMode(mode, parsed)) {
        errno = EINVAL;
        return nullptr;
    }
    const int fd = OpenDescriptor(fileName, parsed.access, parsed.disposition, FILE_ATTRIBUTE_NORMAL);
    const int err = errno;
    FILE* stream = fd >= 0 ? fdopen(fd, parsed.hostMode.c_str()) : nullptr;
    if (!stream) {
        const int streamErr = fd >= 0 ? errno : err;
        if (fd >= 0)
            close(fd);
        errno = streamErr;
    }
    return stream;
}

errno_t _wfopen_s(FILE** file, const wchar_t* fileName, const wchar_t* mode)
{
    if (!file)
        return EINVAL;
    *file = _wfopen(fileName, mode);
    return *file ? 0 : errno;
}

int _wremove(const wchar_t* fileName)
{
    return DeleteFileW(fileName) ? 0 : FailWithErrno(ErrnoFromError(GetLastError()));
}

int _wrename(const wchar_t* oldName, const wchar_t* newName)
{
    return MoveFileExW(oldName, newName, MOVEFILE_COPY_ALLOWED) ? 0 : FailWithErrno(ErrnoFromError(GetLastError()));
}
