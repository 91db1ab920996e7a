// What a process handle reaches: a child this process started or another process opened by id.
#pragma once

#include "Futex.h"

#include "platform/win/Types.h"

#include <sys/types.h>

namespace platform {

class HostProcess {
public:
    virtual ~HostProcess() = default;
    virtual pid_t Pid() const = 0;
    // Whether the process ended before the deadline.
    virtual bool WaitEnd(const Deadline& deadline) = 0;
    virtual bool Ended() = 0;
    // STILL_ACTIVE while it runs.
    virtual DWORD ExitCode() = 0;
    // ERROR_SUCCESS, or the Windows error (an ended process: ERROR_ACCESS_DENIED).
    virtual DWORD Terminate(UINT exitCode) = 0;
};

} // namespace platform
