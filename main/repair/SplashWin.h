// A start-up splash window: a background picture with a loading animation, shown while a worker
// thread fills the process-wide drive list. No window of the program makes one.
#pragma once

#include <QEventLoop>
#include <QPointer>
#include <QThread>
#include <QWidget>

class QLabel;

class CInitDiskInfoThd : public QThread {
    Q_OBJECT
public:
    using QThread::QThread;

protected:
    void run() override;
};

class CSplashWin : public QWidget {
    Q_OBJECT
public:
    explicit CSplashWin(QWidget* parent = nullptr);
    ~CSplashWin() override;

    // Shows the window and waits in its own event loop until the drive list has been filled;
    // returns the loop's exit code (0 without a loop).
    int Exec();

public slots:
    void slotThreadFinished();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QLabel* m_animation;
    QPointer<QEventLoop> m_loop;
    CInitDiskInfoThd* m_thread = nullptr;
};
