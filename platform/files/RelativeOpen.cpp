// NtOpenFile: a name opened in a folder held open, never through a path walked again.
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
    if (!name || !name->Buffer || name->Length == 0 || name->Length % sizeof(WCHAR) != 0)
        return false;
    const size_t length = name->Length / sizeof(WCHAR);
    const std::wstring text(name->Buffer, length);
    if (text == L"." || text == L".." || text.find_first_of(L"\\/") != std::wstring::npos)
        return false;
    return AppendHostName(name->Buffer, length, host);
}

// Opens the name in the folder as the access and options ask; -1 with errno set. openFlags: the
// flags the descriptor was opened with.
int OpenName(int folderFd, const std::string& name, ACCESS_MASK access, ULONG options, int& openFlags)
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
    openFlags = flags & ~O_NOFOLLOW;
    return OpenInFolder(folderFd, name, openFlags);
}

NTSTATUS Open(HANDLE& handle, ACCESS_MASK access, const OBJECT_ATTRIBUTES& attributes, ULONG share, ULONG options)
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
    place.host += "/" + name;
    place.exists = true;
    place.watch = -1;
    place.statusRead = false;
    if ((access & (kWriteRights | kDeleteRights | FILE_WRITE_ATTRIBUTES)) && place.writeProtected)
        return STATUS_MEDIA_WRITE_PROTECTED;
    int openFlags = 0;
    int fd = OpenName(folder->Fd(), name, access, options, openFlags);
    if (fd < 0 && errno == ENOENT && (attributes.Attributes & OBJ_CASE_INSENSITIVE)) {
        const std::string found = EntryIgnoringCase(folder->Fd(), -1, name);
        if (!found.empty()) {
            place.host.resize(place.host.size() - name.size());
            place.host += name = found;
            fd = OpenName(folder->Fd(), name, access, options, openFlags);
        }
    }
    if (fd < 0)
        return StatusOfErrno(errno);
    place.name = name;
    // Only a caller that refuses folders has the opened file looked at here: a look less per file
    // for one that checks the handle itself.
    struct stat st {};
    if ((options & FILE_NON_DIRECTORY_FILE) && (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode))) {
        close(fd);
        return S_ISDIR(st.st_mode) ? STATUS_FILE_IS_A_DIRECTORY : STATUS_UNSUCCESSFUL;
    }
    // A mount point opened as itself shows what it is, as a link does: a walk that refuses reparse
    // points never crosses into another file system through a name it did not list.
    const bool mountPoint = (options & FILE_OPEN_REPARSE_POINT) && (openFlags & O_DIRECTORY) &&
                            IsMountPointIn(folder->Fd(), fd, place.host);
    auto* file = new FileObject(fd, std::move(place), access, share);
    file->TakeVolumeSerial(root->VolumeSerial());
    if (mountPoint)
        file->ShowAsMountPoint();
    if (!file->JoinOpenFiles(!(openFlags & O_PATH) && (openFlags & O_ACCMODE) != O_WRONLY)) {
        delete file;
        return STATUS_SHARING_VIOLATION;
    }
    handle = HandleOf(file);
    return STATUS_SUCCESS;
}

} // namespace

} // namespace platform::files

NTSTATUS NtOpenFile(PHANDLE fileHandle, ACCESS_MASK desiredAccess, POBJECT_ATTRIBUTES objectAttributes,
                    PIO_STATUS_BLOCK ioStatusBlock, ULONG shareAccess, ULONG openOptions)
{
    NTSTATUS status = STATUS_INVALID_PARAMETER;
    if (fileHandle && objectAttributes && ioStatusBlock && !(openOptions & ~platform::files::kKnownOptions) &&
        (openOptions & (FILE_DIRECTORY_FILE | FILE_NON_DIRECTORY_FILE)) != (FILE_DIRECTORY_FILE | FILE_NON_DIRECTORY_FILE)) {
        *fileHandle = nullptr;
        status = platform::files::Open(*fileHandle, desiredAccess, *objectAttributes, shareAccess, openOptions);
    }
    if (ioStatusBlock) {
        ioStatusBlock->Status = status;
        ioStatusBlock->Information = 0;
    }
    return status;
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
    case STATUS_OBJECT_PATH_NOT_FOUND: return ERROR_PATH_NOT_FOUND;
    case STATUS_SHARING_VIOLATION: return ERROR_SHARING_VIOLATION;
    case STATUS_MEDIA_WRITE_PROTECTED: return ERROR_WRITE_PROTECT;
    case STATUS_FILE_IS_A_DIRECTORY: return ERROR_ACCESS_DENIED;
    case STATUS_NOT_A_DIRECTORY: return ERROR_DIRECTORY;
    default: return ERROR_GEN_FAILURE;
    }
}
