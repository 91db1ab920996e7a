// A process that this one did not start, opened by id. It is watched through a pidfd, so a reused
// id never reaches another process; its exit code is not known here.
#pragma once

#include "HostProcess.h"

#include <memory>

namespace platform {

class ForeignProcess : public HostProcess {
public:
    // Null with ERROR_INVALID_PARAMETER when no such process runs.
    static std::shared_ptr<ForeignProcess> Open(pid_t pid);

    ForeignProcess(pid_t pid, int pidfd) : pid_(pid), pidfd_(pidfd) {}
    ~ForeignProcess() override;

    pid_t Pid() const override { return pid_; }
    bool WaitEnd(const Deadline& deadline) override;
    bool Ended() override;
    // STILL_ACTIVE while it runs, 0 after.
    DWORD ExitCode() override;
    DWORD Terminate(UINT exitCode) override;

private:
    const pid_t pid_;
    const int pidfd_;
};

} // namespace platform
