// The receiving end of the messages other processes send this process's windows: a socket of
// run/windows on which each request is read without blocking the GUI thread, then handed to the
// window's native event handling there, and answered. It hears only senders that the kernel names
// root or this process's own user, and it bounds what senders may hold of it: open connections,
// per sender and in all, and the bytes of requests not yet whole.
#pragma once

#include <QObject>
#include <QTimer>

#include <cstddef>
#include <cstdint>
#include <list>
#include <optional>
#include <sys/types.h>

class QSocketNotifier;

namespace platform {

class CMessagePort : public QObject {
    Q_OBJECT
public:
    static constexpr size_t kMostPerSender = 16;
    static constexpr size_t kMostConnections = 24;
    // What all requests not yet whole may hold at once: a few copies of the longest.
    static constexpr size_t kBytesBudget = 64u * 1024u * 1024u;

    // Opens the port of this process in the machine's run/windows; IsOpen() tells whether it is.
    explicit CMessagePort(QObject* parent);
    ~CMessagePort() override;

    bool IsOpen() const { return listener_ >= 0; }

    // The most bytes this process's ports have held at once for requests not yet whole.
    static size_t MostBytesHeld();

private:
    class CConnection;
    struct Sender {
        CConnection* connection;
        uid_t uid;
    };

    void Accept();
    void Admit(int fd);
    // Drops the oldest connection (of the user, when given) that is not being delivered.
    bool DropOldest(std::optional<uid_t> uid);
    std::optional<uid_t> BusiestSender() const;
    void Forget(const CConnection* connection);
    void Pause();
    void Resume();

    int folder_ = -1;
    int listener_ = -1;
    pid_t pid_ = 0;
    uint64_t startTime_ = 0;
    QSocketNotifier* notifier_ = nullptr;
    QTimer resume_;
    std::list<Sender> connections_; // the oldest first
};

} // namespace platform
