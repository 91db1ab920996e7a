// The worker of the resource-pack update: runs the monitor's update once per start and reports its
// end through sigFinished. Starting it while it runs does nothing, so one update runs at a time.
// While it runs it touches nothing of the monitor, only the pack it was given, so that a monitor
// that cannot wait for its end may go first.
#pragma once

#include "ResourcePack.h"

#include <QThread>

#include <optional>

class CResUpdateThread : public QThread {
    Q_OBJECT
public:
    explicit CResUpdateThread(QObject* parent);

    // What each run updates: the monitor's folder and Update objects. Set before the first start.
    void SetPack(const CResourcePack& pack);
    // For an owner that goes before a run has ended: the thread leaves it, and deletes itself once
    // the run is over.
    void Abandon();

signals:
    void sigFinished(bool ok);

protected:
    void run() override;

private:
    std::optional<CResourcePack> pack_;
};
