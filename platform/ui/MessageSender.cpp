#include "MessageSender.h"

#include "MessageWire.h"

#include "../core/FileIdentity.h"
#include "../kernel/ProcessRecord.h"

#include "platform/win/Errors.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

std::atomic<int> g_messageWaitMs {20000};

// One end for a whole exchange: a port that trickles its answer gains no time by it.
class CDeadline {
public:
    CDeadline() : end_(std::chrono::steady_clock::now() + std::chrono::milliseconds(MessageWaitMs())) {}

    // Waits until the socket is ready for the events; false with errno ETIMEDOUT once the end
    // has come.
    bool WaitFor(int fd, short events) const
    {
        for (;;) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(end_ - std::chrono::steady_clock::now());
            if (left.count() <= 0) {
                errno = ETIMEDOUT;
                return false;
            }
            pollfd wanted {fd, events, 0};
            const int ready = poll(&wanted, 1, static_cast<int>(std::min<long long>(left.count(), 1 << 30)));
            if (ready > 0)
                return true;
            if (ready < 0 && errno != EINTR)
                return false;
        }
    }

private:
    std::chrono::steady_clock::time_point end_;
};

bool SendAll(int fd, const void* data, size_t size, const CDeadline& deadline)
{
    const char* at = static_cast<const char*>(data);
    while (size) {
        const ssize_t sent = send(fd, at, size, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
            if (errno != EINTR && !deadline.WaitFor(fd, POLLOUT))
                return false;
            continue;
        }
        if (sent <= 0)
            return false;
        at += sent;
        size -= static_cast<size_t>(sent);
    }
    return true;
}

bool ReceiveAll(int fd, void* data, size_t size, const CDeadline& deadline)
{
    char* at = static_cast<char*>(data);
    while (size) {
        const ssize_t got = recv(fd, at, size, MSG_DONTWAIT);
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
            if (errno != EINTR && !deadline.WaitFor(fd, POLLIN))
                return false;
            continue;
        }
        if (got <= 0)
            return false;
        at += got;
        size -= static_cast<size_t>(got);
    }
    return true;
}

// A connection to the record's port and the process listening there, or -1 with the error. The
// port's name is taken in the held folder as it is: a link there (which another user may plant)
// is never followed, and only a socket is connected to, through the node just looked at. The
// connect does not wait: a port whose queue is full is not heard.
int ConnectToPort(const WindowRecord& record, ucred& peer, DWORD& error)
{
    error = ERROR_INVALID_WINDOW_HANDLE;
    const OwnRights rights;
    const int folder = OpenWindowsFolder();
    if (folder < 0)
        return -1;
    const int node = openat(folder, PortName(record.pid, record.startTime).c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
    close(folder);
    struct stat st {};
    if (node < 0 || fstat(node, &st) != 0 || !S_ISSOCK(st.st_mode)) {
        if (node >= 0)
            close(node);
        return -1;
    }
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof(address.sun_path), "/proc/self/fd/%d", node);
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd >= 0 && connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
        if (errno == EAGAIN)
            error = ERROR_TIMEOUT;
        close(fd);
        fd = -1;
    }
    close(node);
    if (fd < 0)
        return -1;
    // Whoever listens there, only the record's own process is its window; an elevated caller
    // takes none of a less privileged user's for one.
    const std::optional<ucred> listener = PeerCredentials(fd);
    if (!listener || listener->pid != record.pid || HostStartTime(listener->pid) != record.startTime ||
        (geteuid() == 0 && !IsHeard(listener->uid, geteuid()))) {
        close(fd);
        return -1;
    }
    peer = *listener;
    error = ERROR_SUCCESS;
    return fd;
}

} // namespace

int MessageWaitMs() { return g_messageWaitMs; }
void SetMessageWaitMs(int milliseconds) { g_messageWaitMs = milliseconds; }

bool AnswersForWindow(const WindowRecord& record)
{
    ucred peer {};
    DWORD error = ERROR_SUCCESS;
    const int fd = ConnectToPort(record, peer, error);
    if (fd < 0)
        return false;
    close(fd);
    return true;
}

DWORD SendToWindowPort(const WindowRecord& target, UINT message, WPARAM wParam, const COPYDATASTRUCT* copy, bool wait,
                       LRESULT& result)
{
    const CDeadline deadline;
    ucred peer {};
    DWORD error = ERROR_SUCCESS;
    const int fd = ConnectToPort(target, peer, error);
    if (fd < 0)
        return error;
    // The window would drop the message unheard: it is not even sent.
    if (!IsHeard(geteuid(), peer.uid)) {
        close(fd);
        return ERROR_ACCESS_DENIED;
    }
    MessageRequest request {};
    request.magic = kMessageMagic;
    request.flags = wait ? kWantsReply : 0;
    request.localId = target.localId;
    request.message = message;
    request.wParam = wParam;
    request.dwData = copy ? copy->dwData : 0;
    request.cbData = copy ? copy->cbData : 0;
    MessageReply reply {};
    if (!SendAll(fd, &request, sizeof(request), deadline) ||
        (request.cbData && !SendAll(fd, copy->lpData, request.cbData, deadline)) ||
        (wait && !ReceiveAll(fd, &reply, sizeof(reply), deadline)))
        error = errno == ETIMEDOUT ? ERROR_TIMEOUT : ERROR_INVALID_WINDOW_HANDLE;
    else if (wait && !reply.delivered)
        error = ERROR_INVALID_WINDOW_HANDLE;
    result = static_cast<LRESULT>(reply.result);
    close(fd);
    return error;
}

} // namespace platform
