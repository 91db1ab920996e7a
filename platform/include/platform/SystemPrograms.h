// The stand-in Windows programs in the machine's system folders.
#pragma once

#include <string>

#pragma GCC visibility push(default)

namespace platform {

// Copies every program of <programFolder>/system32 into the machine's C:\Windows\System32 and
// C:\Windows\SysWOW64 under its Windows file name ("Defrag" becomes "Defrag.exe"), where the copy
// is missing or older than the program. False with the last error set when a copy fails.
bool InstallSystemPrograms(const std::string& programFolder);
bool InstallSystemPrograms();

} // namespace platform

#pragma GCC visibility pop
