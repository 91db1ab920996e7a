#include "FileStatus.h"

#include "DosAttributeStore.h"
#include "Drives.h"
#include "FilePaths.h"
#include "PathResolver.h"

#include "platform/win/Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace platform::files {

namespace {

constexpr int64_t kSecondsFrom1601To1970 = 11644473600;
constexpr int64_t kTicksPerSecond = 10000000;
constexpr unsigned kStatxMask = STATX_BASIC_STATS | STATX_BTIME;

FILETIME FileTimeOf(const struct statx_timestamp& time)
{
    return ToFileTime(timespec{static_cast<time_t>(time.tv_sec), static_cast<long>(time.tv_nsec)});
}

// Windows' attributes of a plain file or folder: the kept bits, or those its mode implies.
DWORD Compose(bool folder, mode_t mode, std::optional<DWORD> kept)
{
    DWORD bits = kept.value_or(folder ? 0 : FILE_ATTRIBUTE_ARCHIVE) & kSettableAttributes;
    if (folder)
        return bits | FILE_ATTRIBUTE_DIRECTORY;
    if (!(mode & S_IWUSR))
        bits |= FILE_ATTRIBUTE_READONLY;
    return bits ? bits : FILE_ATTRIBUTE_NORMAL;
}

timespec Born(const struct statx& sx)
{
    const statx_timestamp& time = (sx.stx_mask & STATX_BTIME) ? sx.stx_btime : sx.stx_ctime;
    return timespec{static_cast<time_t>(time.tv_sec), static_cast<long>(time.tv_nsec)};
}

// fd and name reach the file itself (name null: fd is the file), for the attributes kept beside it;
// watch is the folder's.
void Fill(const struct statx& sx, int fd, const char* name, int watch, bool mountPoint, bool linkToFolder,
          FileStatus& status)
{
    status.device = makedev(sx.stx_dev_major, sx.stx_dev_minor);
    status.born = Born(sx);
    status.changed = timespec{static_cast<time_t>(sx.stx_ctime.tv_sec), static_cast<long>(sx.stx_ctime.tv_nsec)};
    status.inode = sx.stx_ino;
    status.links = sx.stx_nlink;
    status.mode = sx.stx_mode;
    status.lastAccess = FileTimeOf(sx.stx_atime);
    status.lastWrite = FileTimeOf(sx.stx_mtime);
    status.creation = (sx.stx_mask & STATX_BTIME) ? FileTimeOf(sx.stx_btime) : status.lastWrite;
    status.directory = S_ISDIR(sx.stx_mode);
    status.size = 0;
    status.reparseTag = 0;
    if (S_ISLNK(sx.stx_mode)) {
        status.attributes = FILE_ATTRIBUTE_REPARSE_POINT | (linkToFolder ? FILE_ATTRIBUTE_DIRECTORY : 0);
        status.reparseTag = IO_REPARSE_TAG_SYMLINK;
    } else if (mountPoint) {
        status.attributes = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
        status.reparseTag = IO_REPARSE_TAG_MOUNT_POINT;
    } else {
        const auto kept = DosAttributeStore::Read(fd, name, status.Id(), watch, sx.stx_nlink);
        status.attributes = Compose(status.directory, sx.stx_mode, kept);
        if (!status.directory)
            status.size = sx.stx_size;
    }
}

// Whether a link of the folder leads to a folder inside the machine.
bool LeadsToFolder(int folderFd, const char* name)
{
    const int fd = OpenInFolder(folderFd, name, O_PATH | O_DIRECTORY);
    if (fd < 0)
        return false;
    close(fd);
    return true;
}

dev_t DeviceOf(int fd)
{
    struct stat st {};
    return fstat(fd, &st) == 0 ? st.st_dev : 0;
}

// folderDevice 0: the folder's device is read when it matters; hostPath makes the entry's host path.
template <typename HostPath>
bool IsMountPoint(const struct statx& sx, int folderFd, dev_t folderDevice, HostPath hostPath)
{
    if (!S_ISDIR(sx.stx_mode) ||
        (folderDevice ? folderDevice : DeviceOf(folderFd)) == makedev(sx.stx_dev_major, sx.stx_dev_minor))
        return false;
    const std::string path = hostPath();
    return path != "/" && !IsDriveFolder(path);
}

template <typename HostPath>
bool StatusAt(int folderFd, dev_t folderDevice, HostPath hostPath, const char* name, int watch,
              const struct statx* known, FileStatus& status)
{
    struct statx sx {};
    if (known)
        sx = *known;
    else if (statx(folderFd, name, AT_SYMLINK_NOFOLLOW, kStatxMask, &sx) != 0)
        return false;
    const bool link = S_ISLNK(sx.stx_mode);
    Fill(sx, folderFd, name, watch, IsMountPoint(sx, folderFd, folderDevice, hostPath),
         link && LeadsToFolder(folderFd, name), status);
    return true;
}

} // namespace

bool StatusOfPlace(const Place& place, FileStatus& status)
{
    if (!place.parent) {
        errno = ENOENT;
        return false;
    }
    const int folder = place.parent->Fd();
    if (place.name == ".") {
        struct statx sx {};
        if (statx(folder, "", AT_EMPTY_PATH, kStatxMask, &sx) != 0)
            return false;
        Fill(sx, folder, nullptr, -1, false, false, status);
        return true;
    }
    return StatusAt(folder, 0, [&] { return place.host; }, place.name.c_str(), place.watch,
                    place.statusRead ? &place.status : nullptr, status);
}

bool StatusOfEntry(int folderFd, dev_t folderDevice, const std::string& folderHostPath, const char* name, int watch,
                   FileStatus& status)
{
    return StatusAt(folderFd, folderDevice, [&] { return folderHostPath + "/" + name; }, name, watch, nullptr, status);
}

namespace {

// Nothing of the inode changed since the earlier status: its kept attributes neither. The change
// time ticks coarsely, so a mode changed within the same tick (read-only set) is looked for too.
bool ReuseUnchanged(const struct statx& sx, const FileStatus& earlier, FileStatus& status)
{
    if (earlier.inode != sx.stx_ino || earlier.device != makedev(sx.stx_dev_major, sx.stx_dev_minor) ||
        earlier.changed.tv_sec != sx.stx_ctime.tv_sec || earlier.changed.tv_nsec != sx.stx_ctime.tv_nsec ||
        earlier.links != sx.stx_nlink || earlier.mode != sx.stx_mode)
        return false;
    status = earlier;
    status.lastAccess = FileTimeOf(sx.stx_atime);
    return true;
}

} // namespace

bool StatusOfDescriptor(int fd, FileStatus& status, const FileStatus* earlier)
{
    struct statx sx {};
    if (statx(fd, "", AT_EMPTY_PATH, kStatxMask, &sx) != 0)
        return false;
    if (!earlier || !ReuseUnchanged(sx, *earlier, status))
        Fill(sx, fd, nullptr, -1, false, false, status);
    return true;
}

bool IsMountPointIn(int folderFd, int fd, const std::string& hostPath)
{
    struct statx sx {};
    return statx(fd, "", AT_EMPTY_PATH, STATX_TYPE, &sx) == 0 && IsMountPoint(sx, folderFd, 0, [&] { return hostPath; });
}

bool UnchangedStatusOfName(int folderFd, const char* name, const FileStatus& earlier, FileStatus& status)
{
    struct statx sx {};
    return statx(folderFd, name, AT_SYMLINK_NOFOLLOW, kStatxMask, &sx) == 0 && ReuseUnchanged(sx, earlier, status);
}

bool ApplyAttributes(int fd, DWORD attributes, bool fresh)
{
    // The descriptor may be one that only names the file; its /proc name reaches the file itself.
    const std::string path = PathOf(fd);
    struct stat st {};
    if (fstat(fd, &st) != 0)
        return false;
    const DWORD bits = attributes & kSettableAttributes;
    mode_t mode = st.st_mode & 07777;
    if (!S_ISDIR(st.st_mode)) {
        const bool readOnly = bits & FILE_ATTRIBUTE_READONLY;
        const mode_t wanted = readOnly ? (mode & ~0222) : (mode & S_IWUSR ? mode : mode | S_IWUSR);
        if (wanted != mode && chmod(path.c_str(), wanted) != 0)
            return false;
        mode = wanted;
    }
    const DWORD implied = S_ISDIR(st.st_mode)
                              ? 0
                              : FILE_ATTRIBUTE_ARCHIVE | (mode & S_IWUSR ? 0 : FILE_ATTRIBUTE_READONLY);
    if (fresh && bits == implied)
        return true;
    // Read after the mode changed: where the birth time is missing the change time names the file.
    FileStatus status;
    if (!StatusOfDescriptor(fd, status))
        return false;
    if (bits == implied) {
        DosAttributeStore::Remove(path, status.Id());
        return true;
    }
    return DosAttributeStore::Write(path, status.Id(), bits);
}

FILETIME ToFileTime(const struct timespec& time)
{
    const int64_t ticks = (static_cast<int64_t>(time.tv_sec) + kSecondsFrom1601To1970) * kTicksPerSecond +
                          time.tv_nsec / 100;
    const uint64_t value = ticks > 0 ? static_cast<uint64_t>(ticks) : 0;
    return FILETIME{static_cast<DWORD>(value), static_cast<DWORD>(value >> 32)};
}

struct timespec FromFileTime(const FILETIME& time)
{
    const int64_t ticks = static_cast<int64_t>((static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
    return timespec{static_cast<time_t>(ticks / kTicksPerSecond - kSecondsFrom1601To1970),
                    static_cast<long>((ticks % kTicksPerSecond) * 100)};
}

} // namespace platform::files
