#include "ShareModes.h"

#include "FileObject.h"

#include <fcntl.h>
#include <unistd.h>

namespace platform::files {

namespace {

// The lock bytes: what opens do and what they deny others, in an order that makes the usual opens'
// bytes neighbours (a reader that shares reading claims 0-2 and asks about 3-5), so that an open
// costs one lock and one question.
constexpr off_t kLockBase = 0x7FFFFFFF00000000;
enum LockByte : off_t { kDenyingWrite, kDenyingDelete, kReading, kWriting, kDeleting, kDenyingRead };

constexpr int kLockBytes = 6;

// One request for each run of neighbouring bytes of the set (bit n: byte n); false when one failed.
// F_OFD_GETLK asks whether another open holds any byte of a run.
template <typename Request> bool ForEachRun(unsigned bytes, Request request)
{
    for (int first = 0; first < kLockBytes; ++first) {
        if (!(bytes & (1u << first)))
            continue;
        int last = first;
        while (last + 1 < kLockBytes && (bytes & (1u << (last + 1))))
            ++last;
        struct flock lock {};
        lock.l_whence = SEEK_SET;
        lock.l_start = kLockBase + first;
        lock.l_len = last - first + 1;
        if (!request(lock))
            return false;
        first = last;
    }
    return true;
}

bool Lock(int fd, unsigned bytes, short type)
{
    return ForEachRun(bytes, [&](struct flock& lock) {
        lock.l_type = type;
        return fcntl(fd, F_OFD_SETLK, &lock) == 0;
    });
}

// Whether another open of the file holds a byte of the set.
bool HeldElsewhere(int fd, unsigned bytes)
{
    return !ForEachRun(bytes, [&](struct flock& lock) {
        lock.l_type = F_WRLCK;
        return fcntl(fd, F_OFD_GETLK, &lock) != 0 || lock.l_type == F_UNLCK;
    });
}

unsigned Bit(LockByte byte) { return 1u << byte; }

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

ShareClaim ClaimShare(int fd, const FileUse& use)
{
    if (!use.TouchesData())
        return ShareClaim::kAdmitted;
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
    unsigned claimed = 0;
    unsigned conflicting = 0;
    for (const auto& part : parts)
        if (part.claimed) {
            claimed |= Bit(part.byte);
            conflicting |= Bit(part.conflicting);
        }
    // An open that shares nothing meets every other open that touches data, and each of those holds
    // a byte of what it does: claiming and asking about every byte changes no verdict, and takes one
    // run each instead of several.
    if (!(use.share & (FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE)))
        claimed = conflicting = (1u << kLockBytes) - 1;
    // Announced first and checked after, so that of two racing opens neither misses the other. A
    // read lock meets no other lock, so it fails only where the kernel keeps none.
    if (!Lock(fd, claimed, F_RDLCK)) {
        Lock(fd, claimed, F_UNLCK);
        return ShareClaim::kUnkept;
    }
    if (HeldElsewhere(fd, conflicting)) {
        Lock(fd, claimed, F_UNLCK);
        return ShareClaim::kRefused;
    }
    return ShareClaim::kAdmitted;
}

bool HeldAgainstDelete(const Place& place, const FileStatus& status)
{
    if (FileObject::HeldAgainstDelete(status.device, status.inode))
        return true;
    if (status.reparseTag || !place.parent)
        return false;
    // One name not followed where it is a link: it stays in the folder. Folders are asked as files
    // are: their handles take the same locks.
    const int fd = openat(place.parent->Fd(), place.name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool held = HeldElsewhere(fd, Bit(kDenyingDelete));
    close(fd);
    return held;
}

} // namespace platform::files
