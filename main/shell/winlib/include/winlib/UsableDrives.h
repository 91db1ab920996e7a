// The drives a program may store data on.
#pragma once

#include "platform/Windows.h"

// Sets one bit per usable drive letter (bit 0 for A:) in driveMask, floppy drives left out, and
// returns the letter of the fixed or removable drive with the most free space (the Windows drive's
// letter when no free space could be read). The answer is kept while the system's drive set is
// unchanged.
wchar_t GetUsableDrives(DWORD& driveMask);
