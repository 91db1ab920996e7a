// The handle of a process (and of its main thread, which ends with it).
#pragma once

#include "HostProcess.h"

#include "platform/win/Sync.h"

#include <memory>

namespace platform {

class ProcessHandle : public KernelObject, public IWaitable {
public:
    explicit ProcessHandle(std::shared_ptr<HostProcess> process) : process_(std::move(process)) {}

    DWORD Wait(DWORD timeoutMs) override
    {
        return process_->WaitEnd(Deadline(timeoutMs)) ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
    }
    Take TryTake() override { return process_->Ended() ? Take::Yes : Take::No; }
    void GiveBack() override {}

    const std::shared_ptr<HostProcess>& Process() const { return process_; }

private:
    std::shared_ptr<HostProcess> process_;
};

} // namespace platform
