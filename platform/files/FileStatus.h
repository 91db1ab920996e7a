// What Windows reports about a file (attributes, size, times, identity), read from the host and
// the file's kept attribute bits.
#pragma once

#include "DosAttributeStore.h"
#include "PathResolver.h"

#include "platform/win/Types.h"

#include <ctime>
#include <string>
#include <sys/types.h>

namespace platform::files {

struct FileStatus {
    DWORD attributes = 0;
    DWORD reparseTag = 0;
    uint64_t size = 0;        // 0 for folders and reparse points
    FILETIME creation {};
    FILETIME lastAccess {};
    FILETIME lastWrite {};
    dev_t device = 0;
    ino_t inode = 0;
    uint32_t links = 0;
    mode_t mode = 0;          // the host's type and permission bits, read-only among them
    bool directory = false;   // a folder itself, not a link to one
    timespec born {};         // when the file came to be: its birth time, else its last change
    timespec changed {};      // the last change of the inode (data, mode, links or kept attributes)

    DosAttributeStore::FileId Id() const { return {device, inode, born}; }
};

// The status of the name itself (links are not followed); false with errno set when it is missing.
bool StatusOfPlace(const Place& place, FileStatus& status);
// The status of an entry of an open folder; folderDevice (0: read from the folder when needed)
// tells mount points from folders, folderHostPath (the folder's host path) drive folders; watch is
// the folder's (-1: none).
bool StatusOfEntry(int folderFd, dev_t folderDevice, const std::string& folderHostPath, const char* name, int watch,
                   FileStatus& status);
// The status of an open file; earlier, a status of the same open file read before, spares
// reading its kept attributes again while the inode and its mode have not changed since.
bool StatusOfDescriptor(int fd, FileStatus& status, const FileStatus* earlier = nullptr);
// The status of the name in the folder where it still names the file of the earlier status, with
// nothing of it changed since: one look that tells both what the name leads to and the file's
// status now. False when the name is missing or leads elsewhere, or the file changed.
bool UnchangedStatusOfName(int folderFd, const char* name, const FileStatus& earlier, FileStatus& status);

// Whether the open folder fd, opened in the open folder folderFd, is a mount point: a folder of
// another device than the folder holding it that is no drive's folder (hostPath is its host path).
bool IsMountPointIn(int folderFd, int fd, const std::string& hostPath);

// The bits SetFileAttributesW changes.
constexpr DWORD kSettableAttributes = 0x00000001u | 0x00000002u | 0x00000004u | 0x00000020u | 0x00000100u |
                                      0x00001000u | 0x00002000u;

// Gives the open file Windows' attributes (settable bits only); read-only also takes away, or
// gives back, the write permission of the mode. fresh: the file was just made and keeps no bits
// yet. False with errno set on failure.
bool ApplyAttributes(int fd, DWORD attributes, bool fresh = false);

FILETIME ToFileTime(const struct timespec& time);
struct timespec FromFileTime(const FILETIME& time);

} // namespace platform::files
