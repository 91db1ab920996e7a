#include "MessagePort.h"

#include "MessageDelivery.h"
#include "MessageWire.h"
#include "WindowRecords.h"

#include "../kernel/ProcessRecord.h"

#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

// A sender that stalls before its request is whole is dropped after this long.
constexpr int kRequestWaitMs = 10000;
constexpr size_t kChunk = 64 * 1024;

// One sender's request: read as it comes, delivered once whole, answered, closed. Whatever does
// not make a whole, sound request is dropped unheard.
class CPortConnection : public QObject {
public:
    CPortConnection(int fd, QObject* parent) : QObject(parent), fd_(fd), notifier_(fd, QSocketNotifier::Read, this)
    {
        connect(&notifier_, &QSocketNotifier::activated, this, [this] { Read(); });
        connect(&deadline_, &QTimer::timeout, this, [this] { Finish(); });
        deadline_.setSingleShot(true);
        deadline_.start(kRequestWaitMs);
    }
    ~CPortConnection() override { close(fd_); }

private:
    size_t Missing() const
    {
        if (buffer_.size() < sizeof(MessageRequest))
            return sizeof(MessageRequest) - buffer_.size();
        return sizeof(MessageRequest) + request_.cbData - buffer_.size();
    }

    // The header as soon as it is whole: only the messages that cross processes, with data only
    // where the message carries it.
    bool SoundHeader()
    {
        std::memcpy(&request_, buffer_.data(), sizeof(request_));
        return request_.magic == kMessageMagic &&
               ((request_.message == WM_COPYDATA && request_.cbData <= kLongestCopy) ||
                (request_.message == WM_PAINT && request_.cbData == 0));
    }

    void Read()
    {
        char chunk[kChunk];
        while (const size_t missing = Missing()) {
            const ssize_t got = recv(fd_, chunk, std::min(missing, sizeof(chunk)), 0);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
                return;
            if (got <= 0) {
                Finish();
                return;
            }
            const bool headerBefore = buffer_.size() >= sizeof(MessageRequest);
            buffer_.append(chunk, static_cast<size_t>(got));
            if (!headerBefore && buffer_.size() >= sizeof(MessageRequest) && !SoundHeader()) {
                Finish();
                return;
            }
        }
        Deliver();
    }

    void Deliver()
    {
        // Nothing else of this connection runs while the window handles the message, which may
        // run an event loop of its own.
        notifier_.setEnabled(false);
        deadline_.stop();
        COPYDATASTRUCT copy {static_cast<ULONG_PTR>(request_.dwData), request_.cbData,
                             request_.cbData ? buffer_.data() + sizeof(MessageRequest) : nullptr};
        const LPARAM lParam = request_.message == WM_COPYDATA ? reinterpret_cast<LPARAM>(&copy) : 0;
        const std::optional<LRESULT> answer = DeliverWindowMessage(
            reinterpret_cast<HWND>(static_cast<uintptr_t>(request_.localId)), request_.message,
            static_cast<WPARAM>(request_.wParam), lParam);
        if (request_.flags & kWantsReply) {
            const MessageReply reply {answer.value_or(0), answer ? 1u : 0u, 0};
            // The reply fits an empty socket buffer; a sender that left hears nothing.
            [[maybe_unused]] const ssize_t sent = send(fd_, &reply, sizeof(reply), MSG_NOSIGNAL | MSG_DONTWAIT);
        }
        Finish();
    }

    void Finish()
    {
        notifier_.setEnabled(false);
        deadline_.stop();
        deleteLater();
    }

    const int fd_;
    QSocketNotifier notifier_;
    QTimer deadline_;
    std::string buffer_;
    MessageRequest request_ {};
};

} // namespace

CMessagePort::CMessagePort(QObject* parent) : QObject(parent), pid_(getpid())
{
    startTime_ = HostStartTime(pid_).value_or(0);
    folder_ = OpenWindowsFolder();
    if (folder_ < 0)
        return;
    const std::string name = PortName(pid_, startTime_);
    const sockaddr_un address = PortAddress(folder_, pid_, startTime_);
    listener_ = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    // A port of this very process left in another run of the same machine root is this one's.
    unlinkat(folder_, name.c_str(), 0);
    if (listener_ < 0 || bind(listener_, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0 ||
        listen(listener_, SOMAXCONN) != 0) {
        if (listener_ >= 0)
            close(listener_);
        listener_ = -1;
        return;
    }
    // An elevated process gives its port to the folder's owner, so that the user's processes
    // reach its windows too.
    struct stat folder {};
    if (geteuid() == 0 && fstat(folder_, &folder) == 0)
        (void)!fchownat(folder_, name.c_str(), folder.st_uid, folder.st_gid, AT_SYMLINK_NOFOLLOW);
    notifier_ = new QSocketNotifier(listener_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &CMessagePort::Accept);
}

CMessagePort::~CMessagePort()
{
    if (listener_ >= 0) {
        delete notifier_;
        close(listener_);
        unlinkat(folder_, PortName(pid_, startTime_).c_str(), 0);
    }
    if (folder_ >= 0)
        close(folder_);
}

void CMessagePort::Accept()
{
    for (;;) {
        const int fd = accept4(listener_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        new CPortConnection(fd, this);
    }
}

} // namespace platform
