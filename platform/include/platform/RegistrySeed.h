// Shaping the machine's registry from outside the Reg*W functions: choosing the process's
// default view, and marking keys read-only as Windows' permissions make HKLM keys for a user who
// is not an administrator.
#pragma once

#include "platform/win/Types.h"

#include <string>

namespace platform {

// The view that Reg*W calls without KEY_WOW64_32KEY or KEY_WOW64_64KEY use on a 64-bit machine.
// The system's programs are 32-bit programs, so the 32-bit view is the default; a stand-in
// 64-bit program (or a test acting as one) switches to the 64-bit view.
void SetDefaultRegistryView64(bool view64);

// Marks the key (created when missing) so that opening it or a key below it for anything more
// than reading fails with ERROR_ACCESS_DENIED, as it does on HKLM for a user who is not an
// administrator. The path is resolved in the process's default view.
LONG SetRegistryKeyProtected(HKEY root, const std::wstring& path, bool isProtected);

} // namespace platform
