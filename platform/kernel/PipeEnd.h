// One end of an anonymous pipe.
#pragma once

#include "platform/win/Handles.h"
#include "platform/win/Process.h"

#include <atomic>
#include <mutex>

namespace platform {

class PipeEnd : public KernelObject, public IHostDescriptor {
public:
    PipeEnd(int fd, bool inheritable) : fd_(fd), inheritable_(inheritable) {}
    ~PipeEnd() override;

    bool Read(void* buffer, DWORD size, DWORD& done) override;
    bool Write(const void* buffer, DWORD size, DWORD& done) override;
    bool Flush() override { return true; }

    int Descriptor() const override { return fd_; }
    bool Inheritable() const override { return inheritable_; }
    void SetInheritable(bool inheritable) override { inheritable_ = inheritable; }

    // Copies up to size waiting bytes without taking them; false with ERROR_BROKEN_PIPE when
    // nothing waits and every write end is closed.
    bool Peek(void* buffer, DWORD size, DWORD& copied, DWORD& available);

private:
    const int fd_;
    std::atomic<bool> inheritable_;
    std::mutex peekMutex_;
    int scratch_[2] = {-1, -1};  // a pipe that tee() copies waiting bytes into, for Peek
};

} // namespace platform
