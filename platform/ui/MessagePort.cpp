#include "MessagePort.h"

#include "MessageDelivery.h"
#include "MessageWire.h"
#include "WindowRecords.h"

#include "../core/FileIdentity.h"
#include "../kernel/ProcessRecord.h"

#include <QSocketNotifier>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

// A sender that stalls before its request is whole is dropped after this long.
constexpr int kRequestWaitMs = 10000;
// A port that cannot take a connection now (no descriptor left) listens again after this long,
// or as soon as one of its connections goes.
constexpr int kPauseMs = 200;
constexpr size_t kChunk = 64 * 1024;

// The bytes that requests not yet whole hold, of all connections of the process: each request's
// data is granted when its header comes, on the GUI thread.
size_t g_bytesHeld = 0;
size_t g_mostBytesHeld = 0;

bool TakeBytes(size_t bytes)
{
    if (bytes > CMessagePort::kBytesBudget - g_bytesHeld)
        return false;
    g_bytesHeld += bytes;
    g_mostBytesHeld = std::max(g_mostBytesHeld, g_bytesHeld);
    return true;
}

// Every process of the machine may connect, as any program finds another's window on Windows;
// who is heard is decided at accept. Only the node this port just made is changed: looked at
// without following a link, a socket of this user's with no other name.
bool MakeConnectable(int folder, const std::string& name)
{
    const int node = openat(folder, name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
    struct stat st {};
    bool connectable = node >= 0 && fstat(node, &st) == 0 && S_ISSOCK(st.st_mode) && st.st_uid == geteuid() &&
                       st.st_nlink == 1;
    if (connectable) {
        char path[64];
        std::snprintf(path, sizeof(path), "/proc/self/fd/%d", node);
        connectable = chmod(path, 0666) == 0;
    }
    if (node >= 0)
        close(node);
    return connectable;
}

} // namespace

// One sender's request: read as it comes, delivered once whole, answered, closed. Whatever does
// not make a whole, sound request within the budget is dropped unheard.
class CMessagePort::CConnection : public QObject {
public:
    CConnection(int fd, CMessagePort* port)
        : QObject(port), port_(port), fd_(fd), notifier_(fd, QSocketNotifier::Read, this)
    {
        connect(&notifier_, &QSocketNotifier::activated, this, [this] { Read(); });
        connect(&deadline_, &QTimer::timeout, this, [this] { Finish(); });
        deadline_.setSingleShot(true);
        deadline_.start(kRequestWaitMs);
    }
    ~CConnection() override
    {
        g_bytesHeld -= granted_;
        if (fd_ >= 0)
            close(fd_);
    }

    bool Delivering() const { return delivering_; }

    void Finish()
    {
        if (finished_)
            return;
        finished_ = true;
        notifier_.setEnabled(false);
        deadline_.stop();
        // The descriptor is free at once: a port out of descriptors takes the next sender on it.
        close(fd_);
        fd_ = -1;
        g_bytesHeld -= granted_;
        granted_ = 0;
        port_->Forget(this);
        deleteLater();
    }

private:
    size_t Missing() const
    {
        if (buffer_.size() < sizeof(MessageRequest))
            return sizeof(MessageRequest) - buffer_.size();
        return sizeof(MessageRequest) + request_.cbData - buffer_.size();
    }

    // The header as soon as it is whole: only the messages that cross processes, with data only
    // where the message carries it, and room for the data in the budget.
    bool TakeHeader()
    {
        std::memcpy(&request_, buffer_.data(), sizeof(request_));
        if (request_.magic != kMessageMagic ||
            !((request_.message == WM_COPYDATA && request_.cbData <= kLongestCopy) ||
              (request_.message == WM_PAINT && request_.cbData == 0)) ||
            !TakeBytes(request_.cbData))
            return false;
        granted_ = request_.cbData;
        buffer_.reserve(sizeof(MessageRequest) + request_.cbData);
        return true;
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
            if (!headerBefore && buffer_.size() >= sizeof(MessageRequest) && !TakeHeader()) {
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
        delivering_ = true;
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

    CMessagePort* const port_;
    int fd_;
    QSocketNotifier notifier_;
    QTimer deadline_;
    std::string buffer_;
    MessageRequest request_ {};
    size_t granted_ = 0;
    bool delivering_ = false;
    bool finished_ = false;
};

CMessagePort::CMessagePort(QObject* parent) : QObject(parent), pid_(getpid())
{
    startTime_ = HostStartTime(pid_).value_or(0);
    // The port is this process's record in run/: made with its own rights, so that its owner is who
    // the process is.
    const OwnRights rights;
    folder_ = OpenWindowsFolder();
    if (folder_ < 0)
        return;
    const std::string name = PortName(pid_, startTime_);
    const sockaddr_un address = PortAddress(folder_, pid_, startTime_);
    listener_ = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    // A port of this very process left in another run of the same machine root is this one's.
    unlinkat(folder_, name.c_str(), 0);
    if (listener_ < 0 || bind(listener_, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0 ||
        !MakeConnectable(folder_, name) || listen(listener_, SOMAXCONN) != 0) {
        if (listener_ >= 0)
            close(listener_);
        listener_ = -1;
        return;
    }
    notifier_ = new QSocketNotifier(listener_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &CMessagePort::Accept);
    resume_.setSingleShot(true);
    connect(&resume_, &QTimer::timeout, this, &CMessagePort::Resume);
}

CMessagePort::~CMessagePort()
{
    while (!connections_.empty()) {
        delete connections_.front().connection;
        connections_.pop_front();
    }
    if (listener_ >= 0) {
        delete notifier_;
        close(listener_);
        const OwnRights rights;
        unlinkat(folder_, PortName(pid_, startTime_).c_str(), 0);
    }
    if (folder_ >= 0)
        close(folder_);
}

size_t CMessagePort::MostBytesHeld() { return g_mostBytesHeld; }

void CMessagePort::Accept()
{
    for (;;) {
        const int fd = accept4(listener_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd >= 0) {
            Admit(fd);
            continue;
        }
        if (errno == EINTR || errno == ECONNABORTED)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return;
        // Out of descriptors: the oldest sender still talking makes room. With none, or another
        // lasting failure, the port would be woken again at once for the same connection.
        if ((errno == EMFILE || errno == ENFILE) && DropOldest(std::nullopt))
            continue;
        Pause();
        return;
    }
}

void CMessagePort::Admit(int fd)
{
    const std::optional<ucred> sender = PeerCredentials(fd);
    if (!sender || !IsHeard(sender->uid, geteuid())) {
        close(fd);
        return;
    }
    const auto own = static_cast<size_t>(
        std::count_if(connections_.begin(), connections_.end(), [&](const Sender& s) { return s.uid == sender->uid; }));
    // A new sender never waits for stalled ones: the oldest of the same user, or of the user with
    // the most, gives way.
    if ((own >= kMostPerSender && !DropOldest(sender->uid)) ||
        (connections_.size() >= kMostConnections && !DropOldest(BusiestSender()))) {
        close(fd);
        return;
    }
    connections_.push_back({new CConnection(fd, this), sender->uid});
}

bool CMessagePort::DropOldest(std::optional<uid_t> uid)
{
    const auto oldest = std::find_if(connections_.begin(), connections_.end(), [&](const Sender& s) {
        return (!uid || s.uid == *uid) && !s.connection->Delivering();
    });
    if (oldest == connections_.end())
        return false;
    oldest->connection->Finish();
    return true;
}

std::optional<uid_t> CMessagePort::BusiestSender() const
{
    std::map<uid_t, size_t> counts;
    for (const Sender& s : connections_)
        ++counts[s.uid];
    const auto busiest = std::max_element(counts.begin(), counts.end(),
                                          [](const auto& a, const auto& b) { return a.second < b.second; });
    if (busiest == counts.end())
        return std::nullopt;
    return busiest->first;
}

void CMessagePort::Forget(const CConnection* connection)
{
    connections_.remove_if([&](const Sender& s) { return s.connection == connection; });
    if (resume_.isActive())
        Resume();
}

void CMessagePort::Pause()
{
    notifier_->setEnabled(false);
    resume_.start(kPauseMs);
}

void CMessagePort::Resume()
{
    resume_.stop();
    notifier_->setEnabled(true);
}

} // namespace platform
