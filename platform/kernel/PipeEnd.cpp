#include "PipeEnd.h"

#include "platform/win/Errors.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace platform {

namespace {

// Keeps SIGPIPE from ending the process while this thread writes to a pipe nobody reads: the
// write fails with EPIPE instead, and the signal it raised is taken away again.
class SigpipeGuard {
public:
    SigpipeGuard()
    {
        sigemptyset(&pipeSignal_);
        sigaddset(&pipeSignal_, SIGPIPE);
        sigset_t pending;
        sigpending(&pending);
        alreadyPending_ = sigismember(&pending, SIGPIPE) == 1;
        pthread_sigmask(SIG_BLOCK, &pipeSignal_, &previous_);
    }
    ~SigpipeGuard()
    {
        if (raised_ && !alreadyPending_) {
            const timespec none {0, 0};
            sigtimedwait(&pipeSignal_, nullptr, &none);
        }
        pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
    }
    SigpipeGuard(const SigpipeGuard&) = delete;
    SigpipeGuard& operator=(const SigpipeGuard&) = delete;
    void Raised() { raised_ = true; }

private:
    sigset_t pipeSignal_;
    sigset_t previous_;
    bool alreadyPending_ = false;
    bool raised_ = false;
};

} // namespace

PipeEnd::~PipeEnd()
{
    close(fd_);
    for (const int fd : scratch_)
        if (fd >= 0)
            close(fd);
}

bool PipeEnd::Read(void* buffer, DWORD size, DWORD& done)
{
    done = 0;
    if (size == 0)
        return true;
    ssize_t n;
    do
        n = read(fd_, buffer, size);
    while (n < 0 && errno == EINTR);
    if (n < 0) {
        SetLastErrorFromErrno();
        return false;
    }
    if (n == 0) {
        SetLastError(ERROR_BROKEN_PIPE);
        return false;
    }
    done = static_cast<DWORD>(n);
    return true;
}

bool PipeEnd::Write(const void* buffer, DWORD size, DWORD& done)
{
    done = 0;
    SigpipeGuard guard;
    while (done < size) {
        const ssize_t n = write(fd_, static_cast<const char*>(buffer) + done, size - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            if (errno == EPIPE) {
                guard.Raised();
                SetLastError(ERROR_NO_DATA);
            } else {
                SetLastErrorFromErrno();
            }
            return false;
        }
        done += static_cast<DWORD>(n);
    }
    return true;
}

bool PipeEnd::Peek(void* buffer, DWORD size, DWORD& copied, DWORD& available)
{
    copied = 0;
    int waiting = 0;
    if (ioctl(fd_, FIONREAD, &waiting) != 0) {
        SetLastErrorFromErrno();
        return false;
    }
    available = static_cast<DWORD>(waiting);
    if (waiting == 0) {
        pollfd watch {fd_, POLLIN, 0};
        if (poll(&watch, 1, 0) > 0 && (watch.revents & POLLHUP)) {
            SetLastError(ERROR_BROKEN_PIPE);
            return false;
        }
        return true;
    }
    if (!buffer || size == 0)
        return true;
    std::lock_guard<std::mutex> lock(peekMutex_);
    if (scratch_[0] < 0 && pipe2(scratch_, O_CLOEXEC | O_NONBLOCK) != 0) {
        SetLastErrorFromErrno();
        return false;
    }
    const ssize_t teed = tee(fd_, scratch_[1], size < available ? size : available, SPLICE_F_NONBLOCK);
    if (teed < 0) {
        SetLastErrorFromErrno();
        return false;
    }
    const ssize_t n = read(scratch_[0], buffer, static_cast<size_t>(teed));
    copied = n > 0 ? static_cast<DWORD>(n) : 0;
    return true;
}

} // namespace platform
