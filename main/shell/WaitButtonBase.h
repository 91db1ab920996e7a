// What the two busy buttons share: a task on its own worker thread, the loading animation on the
// button while it runs, and a local event loop that keeps the window painting but holds user
// input back until the task ends.
#pragma once

#include "BgRunThread.h"

#include <QEventLoop>
#include <QPointer>
#include <QPushButton>
#include <QStringList>
#include <QTimer>

class CWaitButtonBase : public QPushButton {
    Q_OBJECT
public:
    ~CWaitButtonBase() override;

    // Gives the button a new thread for this task. A thread that still runs is not deleted: it
    // frees itself when it ends, and its end still ends the wait.
    void SetTask(BgTaskFunc task, void* data);

signals:
    void sigReleased();

public slots:
    void slotChangeImage();
    void slotThreadFinished();

protected:
    // reenableWhenDone: whether the button enables itself again when its task has ended.
    CWaitButtonBase(const QString& text, QWidget* parent, bool reenableWhenDone);

    // Starts the animation and the task and waits for its end. Without a task it ends at once,
    // as a task that did nothing would.
    void RunTask();

private:
    void ReleaseThread();

    BgTaskFunc task_ = nullptr;
    void* data_ = nullptr;
    QPointer<QTimer> timer_;
    QPointer<QEventLoop> loop_;
    QPointer<CBgRunThread> thread_;
    QStringList frames_;
    int frame_ = 0;
    bool reenableWhenDone_;
};
