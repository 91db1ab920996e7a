// The one-shot job after an update: when the product's uninstall entry still names an older
// version, the updater's shortcuts get the product icon and the entry's display name gets the
// current version. Failures end the job quietly.
#pragma once

#include <QThread>

class CFixFrameBase;

class CFuncThread : public QThread {
    Q_OBJECT
public:
    // The frame starts the job; the job never reaches it.
    explicit CFuncThread(CFixFrameBase* frame);

protected:
    void run() override;
};
