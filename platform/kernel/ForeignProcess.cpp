#include "ForeignProcess.h"

#include "platform/win/Errors.h"
#include "platform/win/Process.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <poll.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

namespace platform {

namespace {

// How long an ended process's starter may take to record its exit code.
constexpr auto kRecordingTime = std::chrono::seconds(2);

} // namespace

std::shared_ptr<ForeignProcess> ForeignProcess::Open(pid_t pid, std::shared_ptr<ProcessRecord> record)
{
    const int pidfd = pid > 0 ? static_cast<int>(syscall(SYS_pidfd_open, pid, 0)) : -1;
    // the id may have passed to another process between reading the record and taking the pidfd
    if (pidfd >= 0 && record && HostStartTime(pid) != record->StartTime()) {
        close(pidfd);
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (pidfd < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return std::make_shared<ForeignProcess>(pid, pidfd, std::move(record));
}

ForeignProcess::~ForeignProcess() { close(pidfd_); }

bool ForeignProcess::WaitEnd(const Deadline& deadline)
{
    for (;;) {
        pollfd watch {pidfd_, POLLIN, 0};
        const DWORD remaining = deadline.Remaining(60000);
        const int rc = poll(&watch, 1, static_cast<int>(remaining));
        if (rc > 0)
            return true;
        if ((rc == 0 && !deadline.Infinite() && deadline.Passed()) || (rc < 0 && errno != EINTR))
            return false;
    }
}

bool ForeignProcess::Ended()
{
    pollfd watch {pidfd_, POLLIN, 0};
    return poll(&watch, 1, 0) > 0;
}

DWORD ForeignProcess::ExitCode()
{
    if (!Ended())
        return STILL_ACTIVE;
    if (!record_)
        return 0;
    const auto until = std::chrono::steady_clock::now() + kRecordingTime;
    for (;;) {
        if (const auto code = record_->ExitCode())
            return *code;
        if (std::chrono::steady_clock::now() > until)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    // its starter ended before it: only a code asked for by TerminateProcess is known
    return record_->RequestedTermination().value_or(0);
}

DWORD ForeignProcess::Terminate(UINT exitCode)
{
    if (pid_ == getpid())
        ExitProcess(exitCode);
    if (Ended())
        return ERROR_ACCESS_DENIED;
    if (record_)
        record_->RequestTermination(exitCode);
    if (syscall(SYS_pidfd_send_signal, pidfd_, SIGKILL, nullptr, 0) == 0)
        return ERROR_SUCCESS;
    return errno == ESRCH ? ERROR_ACCESS_DENIED : ErrorFromErrno(errno);
}

} // namespace platform
