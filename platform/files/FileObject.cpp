#include "FileObject.h"

#include "DosAttributeStore.h"
#include "Drives.h"
#include "FilePaths.h"
#include "FileStatus.h"
#include "ShareModes.h"

#include "platform/win/Errors.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform::files {

namespace {

std::mutex g_mutex;
std::vector<const FileObject*>& OpenFiles()
{
    static auto* files = new std::vector<const FileObject*>; // outlives every static destructor
    return *files;
}

} // namespace

FileObject::FileObject(int fd, Place place, DWORD access, DWORD shareMode)
    : fd_(fd), place_(std::move(place)), access_(access), share_(shareMode)
{
}

FileObject::~FileObject()
{
    if (listed_) {
        std::lock_guard<std::mutex> lock(g_mutex);
        auto& files = OpenFiles();
        files.erase(std::remove(files.begin(), files.end(), this), files.end());
    }
    FileStatus status;
    if (deleteOnClose_ && StatusOfDescriptor(fd_, status))
        RemoveOpenedName(status);
    if (entries_)
        closedir(entries_);
    if (lockFd_ >= 0 && lockFd_ != fd_)
        close(lockFd_);
    close(fd_);
}

bool FileObject::DeleteNow()
{
    if (!(access_ & kDeleteRights) || !place_.parent || place_.name == ".")
        return Fail(ERROR_ACCESS_DENIED);
    if (RefuseWhenWriteProtected(place_))
        return false;
    // Where the handle's status was read before (its check by the caller) and the name still leads
    // to that file unchanged, one look at the name serves both; otherwise the file is read by its
    // handle and the name checked after.
    FileStatus status;
    bool nameChecked = false;
    {
        std::lock_guard<std::mutex> lock(statusLock_);
        nameChecked = status_ && UnchangedStatusOfName(place_.parent->Fd(), place_.name.c_str(), *status_, status);
    }
    if (!nameChecked && !Status(status, true)) {
        platform::SetLastErrorFromErrno();
        return false;
    }
    if (((status.attributes & FILE_ATTRIBUTE_READONLY) && !status.reparseTag) ||
        (status.directory && IsDriveFolder(place_.host)))
        return Fail(ERROR_ACCESS_DENIED);
    return nameChecked ? UnlinkOpenedName(status) : RemoveOpenedName(status);
}

bool FileObject::RemoveOpenedName(const FileStatus& status)
{
    if (!place_.parent || place_.name == ".")
        return Fail(ERROR_ACCESS_DENIED);
    // The name must still lead to the opened file; between this look and the removal only a name
    // swapped inside this very folder can take its place.
    struct stat entry {};
    if (fstatat(place_.parent->Fd(), place_.name.c_str(), &entry, AT_SYMLINK_NOFOLLOW) != 0)
        return FailFromErrno(place_);
    if (entry.st_dev != status.device || entry.st_ino != status.inode)
        return Fail(ERROR_FILE_NOT_FOUND);
    return UnlinkOpenedName(status);
}

bool FileObject::RenameNow(Place target, bool replace)
{
    if (!(access_ & kDeleteRights) || !place_.parent || place_.name == "." || !target.parent)
        return Fail(ERROR_ACCESS_DENIED);
    if (RefuseWhenWriteProtected(place_) || RefuseWhenWriteProtected(target))
        return false;
    const OwnRights rights(place_.own || target.own);
    FileStatus status;
    if (!Status(status)) {
        platform::SetLastErrorFromErrno();
        return false;
    }
    struct stat entry {};
    if (fstatat(place_.parent->Fd(), place_.name.c_str(), &entry, AT_SYMLINK_NOFOLLOW) != 0)
        return FailFromErrno(place_);
    if (entry.st_dev != status.device || entry.st_ino != status.inode)
        return Fail(ERROR_FILE_NOT_FOUND);
    struct stat existing {};
    if (replace && fstatat(target.parent->Fd(), target.name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISDIR(existing.st_mode))
        return Fail(ERROR_ACCESS_DENIED);
    if (!PutInPlace(place_.parent->Fd(), place_.name.c_str(), target, replace)) {
        const int err = errno;
        return Fail(err == EEXIST || err == ENOTEMPTY ? ERROR_ALREADY_EXISTS
                    : err == EXDEV                    ? ERROR_NOT_SAME_DEVICE
                                                      : platform::ErrorFromErrno(err));
    }
    place_ = std::move(target);
    return true;
}

bool FileObject::UnlinkOpenedName(const FileStatus& status)
{
    const OwnRights rights(place_.own);
    if (unlinkat(place_.parent->Fd(), place_.name.c_str(), status.directory ? AT_REMOVEDIR : 0) != 0)
        return FailFromErrno(place_);
    deleteOnClose_ = false;
    if (status.links <= 1 || status.directory)
        DosAttributeStore::ForgetOpened(fd_, status.Id());
    return true;
}

bool FileObject::Status(FileStatus& status, bool reuse)
{
    std::lock_guard<std::mutex> lock(statusLock_);
    if (!StatusOfDescriptor(fd_, status, reuse ? status_.get() : nullptr))
        return false;
    if (mountPoint_) {
        status.attributes = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
        status.reparseTag = IO_REPARSE_TAG_MOUNT_POINT;
    }
    if (!status_)
        status_ = std::make_unique<FileStatus>();
    *status_ = status;
    return true;
}

DWORD FileObject::VolumeSerial()
{
    int64_t serial = serial_;
    if (serial < 0) {
        const platform::DriveInfo* drive = DriveOfHostPath(place_.host);
        serial_ = serial = drive ? drive->serial : 0;
    }
    return static_cast<DWORD>(serial);
}

std::shared_ptr<files::Descriptor> FileObject::AsFolder()
{
    std::call_once(folderOnce_, [this] {
        const int own = fcntl(fd_, F_DUPFD_CLOEXEC, 0);
        if (own >= 0)
            folder_ = std::make_shared<files::Descriptor>(own);
    });
    return folder_;
}

DIR* FileObject::Entries(bool restart)
{
    if (!entries_) {
        // A description of its own, so that reading entries moves no offset another user shares.
        const int own = openat(fd_, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (own < 0 || !(entries_ = fdopendir(own))) {
            if (own >= 0)
                close(own);
            return nullptr;
        }
    } else if (restart) {
        rewinddir(entries_);
    }
    return entries_;
}

bool FileObject::JoinOpenFiles(bool readable)
{
    const FileUse mine(access_, share_);
    if (!mine.TouchesData())
        return true;
    lockFd_ = readable ? fd_ : open(PathOf(fd_).c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    const ShareClaim claim = lockFd_ >= 0 ? ClaimShare(lockFd_, mine) : ShareClaim::kUnkept;
    if (claim != ShareClaim::kUnkept)
        return claim == ShareClaim::kAdmitted;
    // Where the kernel keeps no lock for the file, the process's own opens are still checked
    // against each other.
    struct stat st {};
    if (fstat(fd_, &st) != 0)
        return false;
    device_ = st.st_dev;
    inode_ = st.st_ino;
    std::lock_guard<std::mutex> lock(g_mutex);
    auto& files = OpenFiles();
    for (const FileObject* other : files) {
        if (other->device_ != device_ || other->inode_ != inode_)
            continue;
        const FileUse theirs(other->access_, other->share_);
        if (!(theirs.Allows(mine) && mine.Allows(theirs)))
            return false;
    }
    files.push_back(this);
    listed_ = true;
    return true;
}

bool FileObject::CanWrite() const { return access_ & kWriteRights; }

bool FileObject::Read(void* buffer, DWORD size, DWORD& done)
{
    done = 0;
    if (!(access_ & kReadRights)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    auto* bytes = static_cast<char*>(buffer);
    while (done < size) {
        const ssize_t n = read(fd_, bytes + done, size - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            SetLastErrorFromErrno();
            return false;
        }
        if (n == 0)
            break;
        done += static_cast<DWORD>(n);
    }
    return true;
}

bool FileObject::Write(const void* buffer, DWORD size, DWORD& done)
{
    done = 0;
    if (!CanWrite()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    const auto* bytes = static_cast<const char*>(buffer);
    while (done < size) {
        const ssize_t n = write(fd_, bytes + done, size - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC;
            SetLastErrorFromErrno();
            return false;
        }
        done += static_cast<DWORD>(n);
    }
    return true;
}

bool FileObject::Flush()
{
    if (!CanWrite()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    if (fsync(fd_) != 0) {
        SetLastErrorFromErrno();
        return false;
    }
    return true;
}

FileObject* FileObject::FromHandle(HANDLE handle)
{
    auto* file = dynamic_cast<FileObject*>(ObjectOf(handle));
    if (!file)
        SetLastError(ERROR_INVALID_HANDLE);
    return file;
}

bool FileObject::HeldAgainstDelete(dev_t device, ino_t inode)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    for (const FileObject* file : OpenFiles())
        if (file->device_ == device && file->inode_ == inode && !(file->share_ & FILE_SHARE_DELETE))
            return true;
    return false;
}

} // namespace platform::files
