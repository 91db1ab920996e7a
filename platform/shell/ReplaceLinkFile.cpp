#include "ReplaceLinkFile.h"

#include "core/DraftFile.h"

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

constexpr mode_t kPermissions = 0777;

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
    CDraftFile draft(place.parent->Fd());
    if (!draft.IsOpen())
        return files::FailFromErrno(place);
    // the old file's permissions first, so that the bytes are never readable by more than the file's
    const int fd = draft.Descriptor();
    if (TakeOver(fd, existing ? &old : nullptr, attributes) && WriteWhole(fd, bytes) && draft.PutInPlace(place.name, true))
        return true;
    return files::FailFromErrno(place);
}

} // namespace platform::shell
