// Share modes across the machine's processes, kept as open file description locks on bytes far
// beyond any data of the file: the kernel drops them with the last descriptor of the open, so a
// holder that dies releases its share at once, and no server is needed.
#pragma once

#include "FileStatus.h"
#include "PathResolver.h"

#include "platform/win/Types.h"

namespace platform::files {

// What one open of a file does with it and lets others do, as Windows checks it; opens that touch
// no data take no part.
struct FileUse {
    bool reads = false;
    bool writes = false;
    bool deletes = false;
    DWORD share = 0;

    FileUse(DWORD access, DWORD shareMode);
    bool TouchesData() const { return reads || writes || deletes; }
    bool Allows(const FileUse& other) const;
};

enum class ShareClaim {
    kAdmitted,
    kRefused,  // another open conflicts; nothing was announced
    kUnkept,   // the file system keeps no lock for the descriptor; nothing was announced
};

// Announces the use on fd (a descriptor open for reading) and checks it against every other open
// of the file, in any process. Two opens that race may both be refused, never both admitted.
ShareClaim ClaimShare(int fd, const FileUse& use);

// Whether some open of the named file, in any process of the machine, keeps it from being deleted
// or renamed (it was opened without FILE_SHARE_DELETE).
bool HeldAgainstDelete(const Place& place, const FileStatus& status);

} // namespace platform::files
