// Two small questions about the Windows the program runs on.
#pragma once

#include "platform/Windows.h"

// True when Windows itself is 64-bit (AMD64), whatever the bitness of this process.
bool IsNativeAmd64();

// The version as GetVersionExW reports it, with the major, minor and build numbers replaced by the
// true ones where Windows offers them (a manifest-less program is otherwise told an older version).
// False only when GetVersionExW fails.
bool GetOsVersion(OSVERSIONINFOEXW& version);
