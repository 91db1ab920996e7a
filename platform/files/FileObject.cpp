#include "FileObject.h"

#include "DosAttributeStore.h"

#include "platform/win/Errors.h"

#include <algorithm>
#include <cerrno>
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

// The sharing modes of one open, as Windows checks them: opens that touch no data take no part.
struct Use {
    bool reads;
    bool writes;
    bool deletes;
    DWORD share;

    Use(DWORD access, DWORD shareMode)
        : reads(access & kReadRights), writes(access & kWriteRights), deletes(access & kDeleteRights),
          share(shareMode)
    {
    }
    bool TouchesData() const { return reads || writes || deletes; }
    bool Allows(const Use& other) const
    {
        return !(other.reads && !(share & FILE_SHARE_READ)) && !(other.writes && !(share & FILE_SHARE_WRITE)) &&
               !(other.deletes && !(share & FILE_SHARE_DELETE));
    }
};

} // namespace

FileObject::FileObject(int fd, std::string hostPath, DWORD access, DWORD shareMode, dev_t device, ino_t inode)
    : fd_(fd), path_(std::move(hostPath)), access_(access), share_(shareMode), device_(device), inode_(inode)
{
}

FileObject::~FileObject()
{
    if (joined_) {
        std::lock_guard<std::mutex> lock(g_mutex);
        auto& files = OpenFiles();
        files.erase(std::remove(files.begin(), files.end(), this), files.end());
    }
    struct stat st {};
    const bool folder = fstat(fd_, &st) == 0 && S_ISDIR(st.st_mode);
    close(fd_);
    if (deleteOnClose_) {
        DosAttributeStore::Forget({device_, inode_});
        if (folder)
            rmdir(path_.c_str());
        else
            unlink(path_.c_str());
    }
}

bool FileObject::JoinOpenFiles()
{
    const Use mine(access_, share_);
    std::lock_guard<std::mutex> lock(g_mutex);
    auto& files = OpenFiles();
    for (const FileObject* other : files) {
        if (other->device_ != device_ || other->inode_ != inode_)
            continue;
        const Use theirs(other->access_, other->share_);
        if (mine.TouchesData() && theirs.TouchesData() && !(theirs.Allows(mine) && mine.Allows(theirs)))
            return false;
    }
    files.push_back(this);
    joined_ = true;
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
        if (file->device_ == device && file->inode_ == inode && Use(file->access_, file->share_).TouchesData() &&
            !(file->share_ & FILE_SHARE_DELETE))
            return true;
    return false;
}

} // namespace platform::files
