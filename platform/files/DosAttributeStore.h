// Where Windows' own attribute bits of a file are kept: the extended attribute "user.DOSATTRIB"
// ("0x" and the bits in hexadecimal), or, on host file systems without user extended attributes,
// a file per host file in the machine root's "dosattrib" folder, named by the file's identity:
// device, inode and the time the file came to be, so that a new file on a reused inode never finds
// the record of the file that had it before.
#pragma once

#include "platform/win/Types.h"

#include <optional>
#include <string>
#include <ctime>
#include <sys/types.h>

namespace platform::files {

class DosAttributeStore {
public:
    // The identity of a host file, for the store beside it.
    struct FileId {
        dev_t device = 0;
        ino_t inode = 0;
        timespec born {};   // birth time, else the last change of the inode
    };

    // The bits kept for the file, or nothing when none are kept (or the kept value is damaged):
    // the entry name of an open folder (not followed where it is a link), or, for a null name, the
    // open file fd itself. watch: the folder's watch (platform/files/FolderCache.h), where the bits
    // of a file with links names may be kept between calls; -1 for none.
    static std::optional<DWORD> Read(int fd, const char* name, FileId id, int watch = -1, uint32_t links = 0);
    // Keeps the bits; false with errno set when they cannot be kept.
    static bool Write(const std::string& hostPath, FileId id, DWORD bits);
    // Drops the kept bits, so that the file's mode speaks again.
    static void Remove(const std::string& hostPath, FileId id);
    // Drops what the store beside the files keeps for a file that is going away.
    static void Forget(FileId id);
    // The same for the file open as fd, asked only where that store can hold it: the file's own file
    // system keeps no extended attributes (the usual case costs no look into the store).
    static void ForgetOpened(int fd, FileId id);

    // Keeps every value beside the files, as on a host file system without extended attributes
    // (for tests of that case on hosts that have them).
    static void UseStoreBesideFiles(bool only);
};

} // namespace platform::files
