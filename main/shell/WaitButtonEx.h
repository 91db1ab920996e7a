// A busy button whose owner decides after the release whether the task runs: the release
// disables it and emits sigPressed(); the owner answers through slotStartThread. After the task
// it stays disabled until its owner enables it.
#pragma once

#include "WaitButtonBase.h"

class CWaitButtonEx : public CWaitButtonBase {
    Q_OBJECT
public:
    CWaitButtonEx(const QString& text, QWidget* parent);

signals:
    void sigPressed();

public slots:
    void slotStartThread(bool start);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};
