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

} // namespace

FILE* _wfopen(const wchar_t* fileName, const wchar_t* mode)
{
    OpenMode parsed;
    if (!fileName || !ParseMode(mode, parsed)) {
        errno = EINVAL;
        return nullptr;
    }
    const HANDLE handle = CreateFileW(fileName, parsed.access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      parsed.disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        errno = ErrnoFromError(GetLastError());
        return nullptr;
    }
    // A device name opens no file a stream could read.
    const FileObject* file = FileObject::FromHandle(handle);
    const int fd = file ? fcntl(file->Descriptor(), F_DUPFD_CLOEXEC, 0) : -1;
    const int err = file ? errno : EINVAL;
    CloseHandle(handle);
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
