// Names of folders looked up ignoring case, as Windows' file systems look them up. A folder's names
// are read once and kept up to date from the kernel's reports of names that come, go or are
// renamed in it (by any process), so that a lookup costs no reading of the folder.
#pragma once

#include <string>

namespace platform::files {

// The name of an open folder's entry whose Windows name equals the wanted one ignoring case; of
// several, the first in byte order, so that the same path always reaches the same file. Empty when
// none does.
std::string EntryIgnoringCase(int folderFd, const std::wstring& wanted);

} // namespace platform::files
