#include "ForeignProcess.h"

#include "platform/win/Errors.h"
#include "platform/win/Process.h"

#include <cerrno>
#include <csignal>
#include <poll.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace platform {

std::shared_ptr<ForeignProcess> ForeignProcess::Open(pid_t pid)
{
    const int pidfd = pid > 0 ? static_cast<int>(syscall(SYS_pidfd_open, pid, 0)) : -1;
    if (pidfd < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return std::make_shared<ForeignProcess>(pid, pidfd);
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

DWORD ForeignProcess::ExitCode() { return Ended() ? 0 : STILL_ACTIVE; }

DWORD ForeignProcess::Terminate(UINT)
{
    if (syscall(SYS_pidfd_send_signal, pidfd_, SIGKILL, nullptr, 0) == 0)
        return ERROR_SUCCESS;
    return errno == ESRCH ? ERROR_ACCESS_DENIED : ErrorFromErrno(errno);
}

} // namespace platform
