// NtOpenFile and NtCreateFile: a name opened or made in a folder held open, never through a path
// walked again.
#include "FileObject.h"
#include "FileStatus.h"
#include "FolderCache.h"
#include "HostNames.h"

#include "platform/win/Errors.h"
#include "platform/win/NtFiles.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::files {

namespace {

constexpr ULONG kKnownOptions = FILE_DIRECTORY_FILE | FILE_SYNCHRONOUS_IO_NONALERT | FILE_NON_DIRECTORY_FILE |
                                FILE_OPEN_FOR_BACKUP_INTENT | FILE_OPEN_REPARSE_POINT;

NTSTATUS StatusOfErrno(int err)
{
    switch (err) {
    case ENOENT: return STATUS_OBJECT_NAME_NOT_FOUND;
    case EEXIST: return STATUS_OBJECT_NAME_COLLISION;
    case ELOOP: return STATUS_ACCESS_DENIED;  // a link where a name is made is never followed
    case ENOTDIR: return STATUS_NOT_A_DIRECTORY;
    case EISDIR: return STATUS_FILE_IS_A_DIRECTORY;
    case EACCES:
    case EPERM: return STATUS_ACCESS_DENIED;
    case EXDEV: return STATUS_OBJECT_NAME_NOT_FOUND;  // a link out of the machine is a broken one
    case EROFS: return STATUS_MEDIA_WRITE_PROTECTED;
    default: return STATUS_UNSUCCESSFUL;
    }
}

// The one host name the object name holds; false when it is empty, a path or no name at all.
bool SingleName(const UNICODE_STRING* name, std::string& host)
{
    return name && name->Buffer && name->Length % sizeof(WCHAR) == 0 &&
           SingleHostName(name->Buffer, name->Length / sizeof(WCHAR), host);
}

// Opens the name in the folder as the access and options ask, following a link that the name is
// only where follow is set; -1 with errno set. openFlags: the flags the descriptor was opened with.
int OpenName(int folderFd, const std::string& name, ACCESS_MASK access, ULONG options, bool follow, int& openFlags)
{
    const bool reads = access & kReadRights;
    const bool writes = access & kWriteRights;
    int flags = O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY;
    if (options & FILE_DIRECTORY_FILE)
        flags |= O_DIRECTORY | O_RDONLY;
    else
        flags |= reads && writes ? O_RDWR : writes ? O_WRONLY : O_RDONLY;
    openFlags = flags;
    int fd = openat(folderFd, name.c_str(), flags);
    // A descriptor that can read carries the share's locks itself; a file the host lets no one
    // read is opened for what it is, where nothing but its deletion or attributes is asked for.
    if (fd < 0 && errno == EACCES && !reads && !writes) {
        openFlags = O_PATH | O_CLOEXEC | O_NOFOLLOW | (flags & O_DIRECTORY);
        fd = openat(folderFd, name.c_str(), openFlags);
    }
    if (fd >= 0 || errno != ELOOP)
        return fd;
    if (options & FILE_OPEN_REPARSE_POINT) {
        if (reads || writes || (options & FILE_DIRECTORY_FILE)) {
            errno = EACCES;
            return -1;
        }
        openFlags = O_PATH | O_CLOEXEC | O_NOFOLLOW;
        return openat(folderFd, name.c_str(), openFlags);
    }
    if (!follow) {
        errno = EACCES;
        return -1;
    }
    openFlags = flags & ~O_NOFOLLOW;
    return OpenInFolder(folderFd, name, openFlags);
}

// Makes the name, or opens it as the disposition allows, never following a link; -1 with errno set.
// created tells whether it was made; openFlags: the flags the descriptor was opened with.
int CreateName(int folderFd, const std::string& name, ACCESS_MASK access, ULONG disposition, ULONG options,
               int& openFlags, bool& created)
{
    created = false;
    if (options & FILE_DIRECTORY_FILE) {
        if (disposition == FILE_OVERWRITE_IF) {
            errno = EINVAL;
            return -1;
        }
        created = mkdirat(folderFd, name.c_str(), 0777) == 0;
        if (!created && (errno != EEXIST || disposition == FILE_CREATE))
            return -1;
        openFlags = O_CLOEXEC | O_NOFOLLOW | O_NOCTTY | O_DIRECTORY | O_RDONLY;
        const int fd = openat(folderFd, name.c_str(), openFlags);
        // O_DIRECTORY tells a link as no folder; it is a link all the same.
        struct stat st {};
        if (fd < 0 && errno == ENOTDIR && fstatat(folderFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode))
            errno = ELOOP;
        return fd;
    }
    const bool reads = access & kReadRights;
    const bool writes = access & kWriteRights;
    const int base = O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY;
    // A file being made is opened for reading too, so that its share needs no descriptor of its own.
    openFlags = base | O_RDWR;
    int fd = openat(folderFd, name.c_str(), openFlags | O_CREAT | O_EXCL, 0666);
    created = fd >= 0;
    if (fd >= 0 || errno != EEXIST || disposition == FILE_CREATE)
        return fd;
    if (disposition == FILE_OVERWRITE_IF && !writes) {
        errno = EACCES;
        return -1;
    }
    openFlags = base | (reads && writes ? O_RDWR : writes ? O_WRONLY : O_RDONLY);
    fd = openat(folderFd, name.c_str(), openFlags);
    // A FIFO without a reader, or a device without its device: no file either way.
    if (fd < 0 && errno == ENXIO)
        errno = EACCES;
    struct stat st {};
    if (fd >= 0 && (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
        const int err = S_ISDIR(st.st_mode) ? EISDIR : EACCES;
        close(fd);
        errno = err;
        return -1;
    }
    return fd;
}

// What one open or creation asks for.
struct Request {
    ACCESS_MASK access;
    ULONG share;
    ULONG disposition;
    ULONG options;
    ULONG fileAttributes;
};

NTSTATUS Open(HANDLE& handle, const OBJECT_ATTRIBUTES& attributes, const Request& request, ULONG_PTR& information)
{
    std::string name;
    if (!SingleName(attributes.ObjectName, name))
        return STATUS_OBJECT_NAME_INVALID;
    FileObject* root = attributes.RootDirectory ? FileObject::FromHandle(attributes.RootDirectory) : nullptr;
    if (!root)
        return STATUS_INVALID_HANDLE;
    const std::shared_ptr<Descriptor> folder = root->AsFolder();
    if (!folder)
        return STATUS_INVALID_HANDLE;
    Place place = root->Where();
    place.parent = folder;
    place.exists = true;
    place.watch = -1;
    place.statusRead = false;
    const bool opens = request.disposition == FILE_OPEN;
    // In a place of the process's own no link is followed, and the own rights act.
    const OwnRights rights(place.own);
    if ((!opens || (request.access & (kWriteRights | kDeleteRights | FILE_WRITE_ATTRIBUTES))) && place.writeProtected)
        return STATUS_MEDIA_WRITE_PROTECTED;
    const bool ignoresCase = attributes.Attributes & OBJ_CASE_INSENSITIVE;
    // A name made here takes the case of a name the folder holds already, as Windows' file systems do.
    struct stat st {};
    if (!opens && ignoresCase && fstatat(folder->Fd(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 && errno == ENOENT) {
        const std::string found = EntryIgnoringCase(folder->Fd(), -1, name);
        if (!found.empty())
            name = found;
    }
    int openFlags = 0;
    bool created = false;
    const auto openOrCreate = [&] {
        return opens ? OpenName(folder->Fd(), name, request.access, request.options, !place.own, openFlags)
                     : CreateName(folder->Fd(), name, request.access, request.disposition, request.options, openFlags,
                                  created);
    };
    int fd = openOrCreate();
    if (fd < 0 && errno == ENOENT && opens && ignoresCase) {
        const std::string found = EntryIgnoringCase(folder->Fd(), -1, name);
        if (!found.empty()) {
            name = found;
            fd = openOrCreate();
        }
    }
    if (fd < 0)
        return StatusOfErrno(errno);
    place.host += "/" + name;
    place.name = name;
    // Only a caller that refuses folders has the opened file looked at here: a look less per file
    // for one that checks the handle itself.
    if ((request.options & FILE_NON_DIRECTORY_FILE) && (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode))) {
        close(fd);
        return S_ISDIR(st.st_mode) ? STATUS_FILE_IS_A_DIRECTORY : STATUS_UNSUCCESSFUL;
    }
    // A mount point opened as itself shows what it is, as a link does: a walk that refuses reparse
    // points never crosses into another file system through a name it did not list.
    const bool mountPoint = (request.options & FILE_OPEN_REPARSE_POINT) && (openFlags & O_DIRECTORY) &&
                            IsMountPointIn(folder->Fd(), fd, place.host);
    auto* file = new FileObject(fd, std::move(place), request.access, request.share);
    file->TakeVolumeSerial(root->VolumeSerial());
    if (mountPoint)
        file->ShowAsMountPoint();
    if (!file->JoinOpenFiles(!(openFlags & O_PATH) && (openFlags & O_ACCMODE) != O_WRONLY)) {
        if (created)
            file->DeleteOnClose();
        delete file;
        return STATUS_SHARING_VIOLATION;
    }
    const bool overwrites = !created && request.disposition == FILE_OVERWRITE_IF;
    const DWORD newAttributes = (request.fileAttributes & kSettableAttributes) | FILE_ATTRIBUTE_ARCHIVE;
    if (((created && !(request.options & FILE_DIRECTORY_FILE)) || overwrites) &&
        (!ApplyAttributes(fd, newAttributes, created) || (overwrites && ftruncate(fd, 0) != 0))) {
        const NTSTATUS status = StatusOfErrno(errno);
        if (created)
            file->DeleteOnClose();
        delete file;
        return status;
    }
    information = created ? FILE_CREATED : overwrites ? FILE_OVERWRITTEN : FILE_OPENED;
    handle = HandleOf(file);
    return STATUS_SUCCESS;
}

// Both native opens: their arguments checked, their status given to the caller's block as well.
NTSTATUS OpenChecked(PHANDLE fileHandle, POBJECT_ATTRIBUTES objectAttributes, PIO_STATUS_BLOCK ioStatusBlock,
                     const Request& request)
{
    NTSTATUS status = STATUS_INVALID_PARAMETER;
    ULONG_PTR information = 0;
    if (fileHandle && objectAttributes && ioStatusBlock && !(request.options & ~kKnownOptions) &&
        (request.options & (FILE_DIRECTORY_FILE | FILE_NON_DIRECTORY_FILE)) != (FILE_DIRECTORY_FILE | FILE_NON_DIRECTORY_FILE) &&
        (request.disposition == FILE_OPEN || request.disposition == FILE_CREATE ||
         request.disposition == FILE_OPEN_IF || request.disposition == FILE_OVERWRITE_IF)) {
        *fileHandle = nullptr;
        status = Open(*fileHandle, *objectAttributes, request, information);
    }
    if (ioStatusBlock) {
        ioStatusBlock->Status = status;
        ioStatusBlock->Information = information;
    }
    return status;
}

} // namespace

} // namespace platform::files

NTSTATUS NtOpenFile(PHANDLE fileHandle, ACCESS_MASK desiredAccess, POBJECT_ATTRIBUTES objectAttributes,
                    PIO_STATUS_BLOCK ioStatusBlock, ULONG shareAccess, ULONG openOptions)
{
    return platform::files::OpenChecked(fileHandle, objectAttributes, ioStatusBlock,
                                        {desiredAccess, shareAccess, FILE_OPEN, openOptions, 0});
}

NTSTATUS NtCreateFile(PHANDLE fileHandle, ACCESS_MASK desiredAccess, POBJECT_ATTRIBUTES objectAttributes,
                      PIO_STATUS_BLOCK ioStatusBlock, PLARGE_INTEGER, ULONG fileAttributes, ULONG shareAccess,
                      ULONG createDisposition, ULONG createOptions, PVOID, ULONG)
{
    return platform::files::OpenChecked(fileHandle, objectAttributes, ioStatusBlock,
                                        {desiredAccess, shareAccess, createDisposition, createOptions, fileAttributes});
}

ULONG RtlNtStatusToDosError(NTSTATUS status)
{
    switch (status) {
    case STATUS_SUCCESS: return ERROR_SUCCESS;
    case STATUS_INVALID_HANDLE: return ERROR_INVALID_HANDLE;
    case STATUS_INVALID_PARAMETER: return ERROR_INVALID_PARAMETER;
    case STATUS_ACCESS_DENIED: return ERROR_ACCESS_DENIED;
    case STATUS_OBJECT_NAME_INVALID: return ERROR_INVALID_NAME;
    case STATUS_OBJECT_NAME_NOT_FOUND: return ERROR_FILE_NOT_FOUND;
    case STATUS_OBJECT_NAME_COLLISION: return ERROR_ALREADY_EXISTS;
    case STATUS_OBJECT_PATH_NOT_FOUND: return ERROR_PATH_NOT_FOUND;
    case STATUS_SHARING_VIOLATION: return ERROR_SHARING_VIOLATION;
    case STATUS_MEDIA_WRITE_PROTECTED: return ERROR_WRITE_PROTECT;
    case STATUS_FILE_IS_A_DIRECTORY: return ERROR_ACCESS_DENIED;
    case STATUS_NOT_A_DIRECTORY: return ERROR_DIRECTORY;
    default: return ERROR_GEN_FAILURE;
    }
}
