// A process this one started. A thread of its own waits for the child's end and reaps it at once,
// so no child is ever left a zombie, whether or not anybody still holds a handle.
#pragma once

#include "HostProcess.h"
#include "ProcessRecord.h"
#include "Pulse.h"

#include "platform/win/Process.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace platform {

struct LaunchRequest {
    static constexpr int kOwn = -1;         // the starter's own descriptor
    static constexpr int kNullDevice = -2;  // /dev/null

    std::string program;                    // host path, run as it is
    std::vector<std::string> arguments;     // argv, the first included
    std::vector<std::string> environment;   // "NAME=value"
    std::string folder;                     // empty: the starter's current folder
    int standard[3] = {kOwn, kOwn, kOwn};   // what becomes descriptors 0, 1 and 2
    std::vector<int> inherited;             // what becomes descriptors from kFirstInheritedDescriptor on
    bool exitChannel = false;               // pass the full exit code back (see ExitChannel.h)
    std::wstring image;                     // a program of the machine: its Windows path, for the
                                            // machine's process list; empty for a host program
};

class ChildProcess : public HostProcess {
public:
    // Null with the last error set when the program cannot be started.
    static std::shared_ptr<ChildProcess> Start(const LaunchRequest& request);
    // A child of this process, started from a program of the machine, that has not been reaped yet.
    static std::shared_ptr<ChildProcess> Find(pid_t pid);

    pid_t Pid() const override { return pid_; }
    bool WaitEnd(const Deadline& deadline) override;
    bool Ended() override;
    DWORD ExitCode() override;
    DWORD Terminate(UINT exitCode) override;

    ChildProcess(pid_t pid, int exitChannel, std::shared_ptr<ProcessRecord> record)
        : pid_(pid), exitChannel_(exitChannel), record_(std::move(record)), pulse_(MachinePulse())
    {
    }
    ~ChildProcess() override;

private:
    void Reap();
    DWORD CodeOf(int status);

    const pid_t pid_;
    const int exitChannel_;                 // read end, -1 without a channel
    const std::shared_ptr<ProcessRecord> record_; // null for a host program
    std::atomic<uint32_t>& pulse_;          // of the machine the child was started in
    std::mutex mutex_;
    std::condition_variable endedSignal_;
    bool zombie_ = false;                   // ended, not yet reaped: no longer to be killed
    bool ended_ = false;
    DWORD exitCode_ = STILL_ACTIVE;
    bool terminated_ = false;
    UINT terminationCode_ = 0;
};

} // namespace platform
