#include "ShareModes.h"

#include "FileObject.h"

#include <fcntl.h>
#include <unistd.h>

namespace platform::files {

namespace {

// The lock bytes: what opens do, then what they deny others.
constexpr off_t kLockBase = 0x7FFFFFFF00000000;
enum LockByte : off_t { kReading, kWriting, kDeleting, kDenyingRead, kDenyingWrite, kDenyingDelete };

bool Lock(int fd, LockByte byte, short type)
{
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = kLockBase + byte;
    lock.l_len = 1;
    return fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

// Whether another open of the file holds the byte.
bool HeldElsewhere(int fd, LockByte byte)
{
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = kLockBase + byte;
    lock.l_len = 1;
    return fcntl(fd, F_OFD_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
}

} // namespace

FileUse::FileUse(DWORD access, DWORD shareMode)
    : reads(access & kReadRights), writes(access & kWriteRights), deletes(access & kDeleteRights), share(shareMode)
{
}

bool FileUse::Allows(const FileUse& other) const
{
    return !(other.reads && !(share & FILE_SHARE_READ)) && !(other.writes && !(share & FILE_SHARE_WRITE)) &&
           !(other.deletes && !(share & FILE_SHARE_DELETE));
}

bool ClaimShare(int fd, const FileUse& use)
{
    if (!use.TouchesData())
        return true;
    const struct {
        bool claimed;
        LockByte byte;
        LockByte conflicting;
    } parts[] = {
        {use.reads, kReading, kDenyingRead},
        {use.writes, kWriting, kDenyingWrite},
        {use.deletes, kDeleting, kDenyingDelete},
        {!(use.share & FILE_SHARE_READ), kDenyingRead, kReading},
        {!(use.share & FILE_SHARE_WRITE), kDenyingWrite, kWriting},
        {!(use.share & FILE_SHARE_DELETE), kDenyingDelete, kDeleting},
    };
    // Announced first and checked after, so that of two racing opens neither misses the other.
    // Where the kernel keeps no lock for the descriptor, only the process's own opens are checked.
    bool admitted = true;
    bool locked = true;
    for (const auto& part : parts)
        if (part.claimed && !Lock(fd, part.byte, F_RDLCK))
            locked = false;
    for (const auto& part : parts)
        if (locked && part.claimed && HeldElsewhere(fd, part.conflicting))
            admitted = false;
    if (!admitted || !locked)
        for (const auto& part : parts)
            if (part.claimed)
                Lock(fd, part.byte, F_UNLCK);
    return admitted;
}

bool HeldAgainstDelete(const Place& place, const FileStatus& status)
{
    if (FileObject::HeldAgainstDelete(status.device, status.inode))
        return true;
    if (status.reparseTag || status.directory || !place.parent)
        return false;
    const int fd = OpenInFolder(place.parent->Fd(), place.name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return false;
    const bool held = HeldElsewhere(fd, kDenyingDelete);
    close(fd);
    return held;
}

} // namespace platform::files
