// The logged-on user's shell, "explorer.exe": a process of the machine whenever machine.ini's
// [Machine] ShellRunning is not 0. No host process stands behind it, so its id lies above every id
// the host can give (at most 2^22), and nothing done to it can reach a host process.
#pragma once

#include "HostProcess.h"

namespace platform {

constexpr pid_t kShellProcessId = 0x00800004;

bool ShellRunning();

class ShellProcess : public HostProcess {
public:
    pid_t Pid() const override { return kShellProcessId; }
    // It ends only when machine.ini says the shell stopped.
    bool WaitEnd(const Deadline& deadline) override;
    bool Ended() override { return !ShellRunning(); }
    DWORD ExitCode() override;
    // The user's shell is not ended from here: ERROR_ACCESS_DENIED.
    DWORD Terminate(UINT exitCode) override;
};

} // namespace platform
