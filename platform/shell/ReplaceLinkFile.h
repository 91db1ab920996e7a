// How a shell link is saved where another user may write the folder (their desktop, their start
// menu): the new bytes go into a draft (core/DraftFile.h) in the link's own folder held open,
// never through a link; the draft then takes the link's name in that same folder. A name that is a link or a mount point, or that leads to another file than the one the
// link was loaded from, is left alone, so nothing beyond the link's own name is ever written.
#pragma once

#include "platform/win/Types.h"

#include <string>
#include <sys/types.h>

namespace platform::shell {

// The file a load read, as the kernel names it.
struct LoadedFile_ {
    bool known_ = false;
    dev_t device_ = 0;
    ino_t inode_ = 0;
};

// The identity of the file behind a handle of CreateFileW; unknown for any other handle.
LoadedFile_ IdentityOf(HANDLE file);

// Puts the bytes in place of the file at the Windows path (or makes it). loaded: the file the bytes
// were read from, which the name must still lead to where it exists; unknown to skip that check.
// The file keeps its Windows attributes, mode and owner. False with the last error set:
// ERROR_ACCESS_DENIED for a name that is a link, a mount point, no plain file, read-only, or
// another file than the one loaded.
bool ReplaceLinkFile(const std::wstring& path, const std::string& bytes, const LoadedFile_& loaded);

} // namespace platform::shell
