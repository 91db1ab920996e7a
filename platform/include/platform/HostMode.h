// What a Windows file lacks and a program file on the host needs: its mode. Windows knows a program
// by its name; here a file that takes the place of a program takes that program's mode.
#pragma once

#include "platform/win/Types.h"

#pragma GCC visibility push(default)

namespace platform {

// Gives the file the permission bits (read, write and run; never set-id) of the file from, both
// reached by their handles, never by a name. False with the Windows error set.
bool TakeHostMode(HANDLE file, HANDLE from);

} // namespace platform

#pragma GCC visibility pop
