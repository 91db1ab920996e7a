// The receiving end of the messages other processes send this process's windows: a socket of
// run/windows on which each request is read without blocking the GUI thread, then handed to the
// window's native event handling there, and answered.
#pragma once

#include <QObject>

#include <cstdint>
#include <sys/types.h>

class QSocketNotifier;

namespace platform {

class CMessagePort : public QObject {
    Q_OBJECT
public:
    // Opens the port of this process in the machine's run/windows; IsOpen() tells whether it is.
    explicit CMessagePort(QObject* parent);
    ~CMessagePort() override;

    bool IsOpen() const { return listener_ >= 0; }

private:
    void Accept();

    int folder_ = -1;
    int listener_ = -1;
    pid_t pid_ = 0;
    uint64_t startTime_ = 0;
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace platform
