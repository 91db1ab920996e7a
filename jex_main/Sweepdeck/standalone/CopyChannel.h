// How a second copy of the stand-alone program reaches the running one: a local socket named after
// the machine, so that copies on different machines never meet. On connecting, the running copy
// answers whether its window is visible and its process id; the second copy then sends one byte:
// 0 show the window, 1 quit, 2 open the clean-up elevated.
#pragma once

#include <QLocalSocket>
#include <QObject>

#include <functional>

class QLocalServer;

enum CopyRequest : char { CopyShow = 0, CopyQuit = 1, CopyOpen = 2 };

// The socket name of this machine's running copy.
QString CopyChannelName();

// The running copy's side.
class CCopyChannelServer : public QObject {
    Q_OBJECT
public:
    // visible tells the answer to a connecting copy.
    CCopyChannelServer(std::function<bool()> visible, QObject* parent = nullptr);
    // Takes the name (a name left by a copy that ended is taken over); false when it cannot.
    bool Listen();

signals:
    void requested(int request);

private:
    void OnConnection();

    QLocalServer* server;
    std::function<bool()> visible;
};

// The second copy's side.
class CCopyChannelClient {
public:
    // Whether a running copy answered; its window's visibility and process id then.
    bool Connect();
    bool IsVisible() const { return visible; }
    quint32 ProcessId() const { return processId; }
    bool Send(CopyRequest request);

private:
    QLocalSocket socket;
    bool visible = false;
    quint32 processId = 0;
};
