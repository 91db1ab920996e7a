// CreateFileW: the dispositions and their errors as Windows sets them.
#include "DeviceObject.h"
#include "Drives.h"
#include "FileObject.h"
#include "FilePaths.h"
#include "FileStatus.h"
#include "PathResolver.h"

#include "platform/Text.h"
#include "platform/win/Errors.h"
#include "platform/win/Files.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::files {

namespace {

struct Request {
    Place place;
    DWORD access;
    DWORD share;
    DWORD disposition;
    DWORD flags;

    bool Truncates() const { return disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING; }
    bool DeletesOnClose() const { return flags & FILE_FLAG_DELETE_ON_CLOSE; }
    // Changes the file's data, which a read-only file refuses.
    bool ChangesData() const { return (access & kWriteRights) || Truncates() || DeletesOnClose(); }
    // Changes anything on the drive, which a write-protected drive refuses.
    bool ChangesDrive() const { return ChangesData() || (access & (FILE_WRITE_ATTRIBUTES | FILE_WRITE_EA | DELETE)); }
    // The attributes a new (or replaced) file gets: those asked for, and archive.
    DWORD NewAttributes() const { return (flags & kSettableAttributes) | FILE_ATTRIBUTE_ARCHIVE; }

    int OpenFlags(bool creating) const
    {
        const bool reads = access & kReadRights;
        const bool writes = (access & kWriteRights) || Truncates();
        // A name swapped for a FIFO or a terminal after it was checked must not block the open or
        // become the process's terminal.
        int openFlags = O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
        if (reads && writes)
            openFlags |= O_RDWR;
        else if (writes)
            openFlags |= O_WRONLY;
        else if (!reads && !creating && !(access & FILE_WRITE_ATTRIBUTES))
            openFlags |= O_PATH;
        if ((access & FILE_APPEND_DATA) && !(access & (FILE_WRITE_DATA | GENERIC_WRITE | GENERIC_ALL)))
            openFlags |= O_APPEND;
        return openFlags;
    }
};

HANDLE InvalidFromErrno(const Place& place)
{
    FailFromErrno(place);
    return INVALID_HANDLE_VALUE;
}

// Windows' file namespace holds files and folders only. A FIFO, socket or device node of the host
// is nothing a Windows program could have made or could open: opening one may block, or reach a
// device. It is refused as a name the caller may not open, which it also may not replace.
bool IsFileOrFolder(unsigned mode) { return S_ISREG(mode) || S_ISDIR(mode); }

bool Readable(int openFlags) { return !(openFlags & O_PATH) && (openFlags & O_ACCMODE) != O_WRONLY; }

// Makes the handle once the descriptor (opened with openFlags) is open: sharing, attributes of a
// new or replaced file, truncation, and the last error Windows leaves behind.
HANDLE Finish(int fd, int openFlags, const Request& request, bool existed)
{
    auto* file = new FileObject(fd, request.place, request.access, request.share);
    if (!file->JoinOpenFiles(Readable(openFlags))) {
        delete file;
        return InvalidHandle(ERROR_SHARING_VIOLATION);
    }
    const bool replaces = !existed || request.disposition == CREATE_ALWAYS;
    if ((replaces && !ApplyAttributes(fd, request.NewAttributes(), !existed)) ||
        (existed && request.Truncates() && ftruncate(fd, 0) != 0)) {
        const DWORD error = ErrorFromErrno(errno);
        if (!existed)
            file->DeleteOnClose();
        delete file;
        return InvalidHandle(error);
    }
    if (request.DeletesOnClose())
        file->DeleteOnClose();
    const bool reportsExisting =
        existed && (request.disposition == CREATE_ALWAYS || request.disposition == OPEN_ALWAYS);
    SetLastError(reportsExisting ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return HandleOf(file);
}

// probe names the existing file where the name is a link (followed inside the machine), and it is
// opened again through its own name in /proc, so that what is checked is what is opened; -1 for a
// plain name, which is opened as it is (never following a link that took its place meanwhile).
HANDLE OpenExisting(const Request& request, int probe, const struct stat& st)
{
    if (request.disposition == CREATE_NEW)
        return InvalidHandle(ERROR_FILE_EXISTS);
    if (!IsFileOrFolder(st.st_mode))
        return InvalidHandle(ERROR_ACCESS_DENIED);
    const bool folder = S_ISDIR(st.st_mode);
    if (folder && (!(request.flags & FILE_FLAG_BACKUP_SEMANTICS) || request.Truncates()))
        return InvalidHandle(ERROR_ACCESS_DENIED);
    if (request.ChangesDrive() && RefuseWhenWriteProtected(request.place))
        return INVALID_HANDLE_VALUE;
    const auto openName = [&](int flags) {
        return probe >= 0 ? ::open(PathOf(probe).c_str(), flags)
                          : openat(request.place.parent->Fd(), request.place.name.c_str(), flags | O_NOFOLLOW);
    };
    int flags = folder ? O_RDONLY | O_DIRECTORY | O_CLOEXEC : request.OpenFlags(false);
    int fd = -1;
    // A descriptor that can read carries the share's locks itself, which spares a second open of
    // the file; the handle still reads only with the access asked for.
    if ((flags & O_ACCMODE) == O_WRONLY && (fd = openName((flags & ~O_ACCMODE) | O_RDWR)) >= 0)
        flags = (flags & ~O_ACCMODE) | O_RDWR;
    else
        fd = openName(flags);
    if (fd < 0)
        return InvalidFromErrno(request.place);
    // The file's Windows attributes matter only to an open that changes it.
    if (!request.ChangesData() && request.disposition != CREATE_ALWAYS)
        return Finish(fd, flags, request, true);
    FileStatus status;
    if (!StatusOfDescriptor(fd, status)) {
        close(fd);
        return InvalidFromErrno(request.place);
    }
    if (!IsFileOrFolder(status.mode)) {
        close(fd);
        return InvalidHandle(ERROR_ACCESS_DENIED);
    }
    const DWORD wantedHidden = request.flags & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    const DWORD hidden = status.attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    const bool readOnly = status.attributes & FILE_ATTRIBUTE_READONLY;
    if ((request.ChangesData() && readOnly && !folder) ||
        (request.disposition == CREATE_ALWAYS && (hidden & ~wantedHidden))) {
        close(fd);
        return InvalidHandle(ERROR_ACCESS_DENIED);
    }
    return Finish(fd, flags, request, true);
}

// With FILE_FLAG_OPEN_REPARSE_POINT a link is opened itself, as a name of its folder: its handle
// tells what it is and can delete it; there is no data behind it to read or write.
HANDLE OpenLink(const Request& request)
{
    if (request.disposition == CREATE_NEW)
        return InvalidHandle(ERROR_FILE_EXISTS);
    if ((request.access & kWriteRights) || request.Truncates())
        return InvalidHandle(ERROR_ACCESS_DENIED);
    if (request.ChangesDrive() && RefuseWhenWriteProtected(request.place))
        return INVALID_HANDLE_VALUE;
    const int fd = openat(request.place.parent->Fd(), request.place.name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return InvalidFromErrno(request.place);
    return Finish(fd, O_PATH, request, true);
}

HANDLE CreateNew(const Request& request)
{
    if (request.disposition == OPEN_EXISTING || request.disposition == TRUNCATE_EXISTING) {
        errno = ENOENT;
        return InvalidFromErrno(request.place);
    }
    if (RefuseWhenWriteProtected(request.place))
        return INVALID_HANDLE_VALUE;
    // O_EXCL makes a new name and never follows a link the name may be. A file being made may be
    // opened for reading whatever its mode, and is, so that its share needs no descriptor of its
    // own; the handle still reads only with the access asked for.
    int flags = request.OpenFlags(true) | O_CREAT | O_EXCL;
    if ((flags & O_ACCMODE) == O_WRONLY)
        flags = (flags & ~O_ACCMODE) | O_RDWR;
    const int fd = request.place.parent ? openat(request.place.parent->Fd(), request.place.name.c_str(), flags, 0666) : -1;
    if (fd < 0)
        return errno == EEXIST ? InvalidHandle(ERROR_FILE_EXISTS) : InvalidFromErrno(request.place);
    return Finish(fd, flags, request, false);
}

} // namespace

} // namespace platform::files

HANDLE CreateFileW(LPCWSTR fileName, DWORD desiredAccess, DWORD shareMode, LPSECURITY_ATTRIBUTES, DWORD creationDisposition,
                   DWORD flagsAndAttributes, HANDLE)
{
    using namespace platform::files;
    if (fileName)
        if (const auto device = DeviceObject::Open(fileName))
            return *device;
    if (creationDisposition < CREATE_NEW || creationDisposition > TRUNCATE_EXISTING ||
        (creationDisposition == TRUNCATE_EXISTING && !(desiredAccess & kWriteRights)))
        return InvalidHandle(ERROR_INVALID_PARAMETER);
    Request request{Place(), desiredAccess, shareMode, creationDisposition, flagsAndAttributes};
    if (!ResolvePath(fileName, request.place))
        return INVALID_HANDLE_VALUE;
    const OwnRights rights(request.place.own);
    if (request.DeletesOnClose())
        request.access |= DELETE;
    if (!request.place.exists) {
        errno = ENOENT;
        return CreateNew(request);
    }
    if (!S_ISLNK(request.place.mode)) {
        struct stat st {};
        st.st_mode = request.place.mode;
        return OpenExisting(request, -1, st);
    }
    if (flagsAndAttributes & FILE_FLAG_OPEN_REPARSE_POINT)
        return OpenLink(request);
    const int probe = request.place.Open(O_PATH);
    if (probe < 0)
        return InvalidFromErrno(request.place);
    struct stat st {};
    const bool known = fstat(probe, &st) == 0;
    const HANDLE handle = known ? OpenExisting(request, probe, st) : InvalidFromErrno(request.place);
    close(probe);
    return handle;
}

HANDLE CreateFileA(LPCSTR fileName, DWORD desiredAccess, DWORD shareMode, LPSECURITY_ATTRIBUTES security,
                   DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE templateFile)
{
    const std::wstring name = fileName ? platform::FromUtf8(fileName) : std::wstring();
    return CreateFileW(fileName ? name.c_str() : nullptr, desiredAccess, shareMode, security, creationDisposition,
                       flagsAndAttributes, templateFile);
}
