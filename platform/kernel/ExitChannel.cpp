#include "ExitChannel.h"

#include "platform/win/Process.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

struct ExitRecord {
    uint32_t pid;
    uint32_t code;
};

// The channel this process was given, taken once when the layer loads: the variable is removed
// and the descriptor closed on exec, so programs started from here by other means do not write
// into the starter's channel.
int Channel()
{
    static const int fd = [] {
        const char* text = std::getenv(kExitChannelVariable);
        if (!text)
            return -1;
        const int number = std::atoi(text);
        unsetenv(kExitChannelVariable);
        struct stat st {};
        if (number < 0 || fstat(number, &st) != 0 || !S_ISFIFO(st.st_mode))
            return -1;
        fcntl(number, F_SETFD, FD_CLOEXEC);
        return number;
    }();
    return fd;
}

[[maybe_unused]] const bool g_takenAtLoad = (Channel(), true);

} // namespace

void ReportExitCode(DWORD code)
{
    const int fd = Channel();
    if (fd < 0)
        return;
    const ExitRecord record {static_cast<uint32_t>(getpid()), code};
    while (write(fd, &record, sizeof(record)) < 0 && errno == EINTR) {
    }
}

bool ReportedExitCode(int readEnd, pid_t pid, DWORD& code)
{
    bool found = false;
    ExitRecord record {};
    while (read(readEnd, &record, sizeof(record)) == static_cast<ssize_t>(sizeof(record))) {
        if (record.pid == static_cast<uint32_t>(pid)) {
            code = record.code;
            found = true;
        }
    }
    return found;
}

} // namespace platform

void ExitProcess(UINT exitCode)
{
    platform::ReportExitCode(exitCode);
    std::fflush(nullptr);
    _exit(static_cast<int>(exitCode & 0xFF));
}
