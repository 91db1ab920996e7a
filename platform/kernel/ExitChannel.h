// How a child passes its full 32-bit exit code, which the host's exit status cuts to 8 bits: the
// starter hands it the write end of a pipe as descriptor 3 and names it in QUARNEL_EXIT_CODE_FD;
// ExitProcess writes the process id and the code there before the process ends.
#pragma once

#include "platform/win/Types.h"

#include <sys/types.h>

namespace platform {

constexpr int kExitChannelDescriptor = 3;
constexpr const char* kExitChannelVariable = "QUARNEL_EXIT_CODE_FD";

// Child side: writes the code when this process was given a channel.
void ReportExitCode(DWORD code);

// Starter side: the last code that process reported on the channel's read end (non-blocking).
bool ReportedExitCode(int readEnd, pid_t pid, DWORD& code);

} // namespace platform
