// The worker of the resource-pack update: runs the monitor's update once per start. Starting it
// while it runs does nothing, so one update runs at a time.
#pragma once

#include <QThread>

class CGarbageScanMgr;

class CResUpdateThread : public QThread {
    Q_OBJECT
public:
    // The owner is the parent when that is a monitor.
    explicit CResUpdateThread(QObject* parent);

protected:
    void run() override;

private:
    CGarbageScanMgr* owner_;
};
