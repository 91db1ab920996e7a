// A process of the machine that this one did not start, opened by id. It is watched through a
// pidfd taken while its record still matched, so a reused id never reaches another process; its
// exit code comes from its record, where its starter writes it.
#pragma once

#include "HostProcess.h"
#include "ProcessRecord.h"

#include <memory>

namespace platform {

class ForeignProcess : public HostProcess {
public:
    // The process of the record, or this process itself (record null); null with
    // ERROR_INVALID_PARAMETER when it no longer runs.
    static std::shared_ptr<ForeignProcess> Open(pid_t pid, std::shared_ptr<ProcessRecord> record);

    ForeignProcess(pid_t pid, int pidfd, std::shared_ptr<ProcessRecord> record)
        : pid_(pid), pidfd_(pidfd), record_(std::move(record))
    {
    }
    ~ForeignProcess() override;

    pid_t Pid() const override { return pid_; }
    bool WaitEnd(const Deadline& deadline) override;
    bool Ended() override;
    // STILL_ACTIVE while it runs, then what its starter recorded.
    DWORD ExitCode() override;
    DWORD Terminate(UINT exitCode) override;

private:
    const pid_t pid_;
    const int pidfd_;
    const std::shared_ptr<ProcessRecord> record_;
};

} // namespace platform
