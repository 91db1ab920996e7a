#include "ReplaceLinkFile.h"

#include "../core/UnguessableName.h"

#include "files/FileObject.h"
#include "files/FilePaths.h"
#include "files/FileStatus.h"

#include "platform/win/Errors.h"
#include "platform/win/Files.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace platform::shell {

namespace {

using files::Fail;

constexpr int kDraftAttempts = 4;
constexpr mode_t kPermissions = 0777;

// A new draft in the folder, opened for writing; -1 with errno set.
int MakeDraft(int folder, std::string& name)
{
    for (int attempt = 0; attempt < kDraftAttempts; ++attempt) {
        if (!UnguessableName(".lnk-", ".saving", name))
            return -1;
        const int fd = openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

bool WriteAll(int fd, const std::string& bytes)
{
    for (size_t done = 0; done < bytes.size();) {
        const ssize_t written = write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        done += static_cast<size_t>(written);
    }
    return true;
}

// The old file as its folder holds it: false, with the last error set, where the name may not be
// replaced. existing tells whether there is one.
bool MayReplace(const files::Place& place, const LoadedFile_& loaded, struct stat& old, DWORD& attributes, bool& existing)
{
    const int folder = place.parent->Fd();
    existing = fstatat(folder, place.name.c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0;
    if (!existing)
        return errno == ENOENT || files::FailFromErrno(place);
    struct stat folderStatus {};
    struct statx mount {};
    if (fstat(folder, &folderStatus) != 0 ||
        statx(folder, place.name.c_str(), AT_SYMLINK_NOFOLLOW, STATX_TYPE, &mount) != 0)
        return files::FailFromErrno(place);
    const bool mountPoint = old.st_dev != folderStatus.st_dev || (mount.stx_attributes & STATX_ATTR_MOUNT_ROOT);
    const bool other = loaded.known_ && (old.st_dev != loaded.device_ || old.st_ino != loaded.inode_);
    if (!S_ISREG(old.st_mode) || mountPoint || other)
        return Fail(ERROR_ACCESS_DENIED);
    files::FileStatus status;
    if (!files::StatusOfPlace(place, status))
        return files::FailFromErrno(place);
    if (status.attributes & FILE_ATTRIBUTE_READONLY)
        return Fail(ERROR_ACCESS_DENIED);
    attributes = status.attributes & files::kSettableAttributes;
    return true;
}

// Gives the draft what the old file had; the owner only where this process may give it.
bool TakeOver(int fd, const struct stat* old, DWORD attributes)
{
    if (old) {
        if (fchmod(fd, old->st_mode & kPermissions) != 0)
            return false;
        if (fchown(fd, old->st_uid, old->st_gid) != 0 && errno != EPERM)
            return false;
    }
    return files::ApplyAttributes(fd, attributes | FILE_ATTRIBUTE_ARCHIVE, true);
}

} // namespace

LoadedFile_ IdentityOf(HANDLE file)
{
    LoadedFile_ identity;
    const files::FileObject* object = files::FileObject::FromHandle(file);
    struct stat st {};
    if (object && fstat(object->Descriptor(), &st) == 0) {
        identity.known_ = true;
        identity.device_ = st.st_dev;
        identity.inode_ = st.st_ino;
    }
    return identity;
}

bool ReplaceLinkFile(const std::wstring& path, const std::string& bytes, const LoadedFile_& loaded)
{
    files::Place place;
    if (!files::ResolvePath(path.c_str(), place))
        return false;
    if (!place.parent)
        return Fail(ERROR_PATH_NOT_FOUND);
    if (place.name == ".")
        return Fail(ERROR_ACCESS_DENIED);
    if (files::RefuseWhenWriteProtected(place))
        return false;
    struct stat old {};
    DWORD attributes = 0;
    bool existing = false;
    if (!MayReplace(place, loaded, old, attributes, existing))
        return false;
    const int folder = place.parent->Fd();
    std::string draft;
    const int fd = MakeDraft(folder, draft);
    if (fd < 0)
        return files::FailFromErrno(place);
    const bool whole = WriteAll(fd, bytes) && TakeOver(fd, existing ? &old : nullptr, attributes);
    const int error = errno;
    close(fd);
    if (whole && renameat(folder, draft.c_str(), folder, place.name.c_str()) == 0)
        return true;
    const int failure = whole ? errno : error;
    unlinkat(folder, draft.c_str(), 0);
    errno = failure;
    return files::FailFromErrno(place);
}

} // namespace platform::shell
