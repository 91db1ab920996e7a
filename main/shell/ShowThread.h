// Lets another process bring the running program's window forward, or make a copy without
// administrator rights quit, by signalling a named event. It runs beside the GUI thread for the
// whole life of the main window and hands each request to the frame on the GUI thread.
#pragma once

#include <QThread>

#include <atomic>
#include <memory>

class CFixFrameBase;

class CShowThread : public QThread {
    Q_OBJECT
public:
    // Made on the GUI thread; the thread never reaches the frame itself, only its stop flag, so a
    // request that arrives after the frame is gone is dropped.
    explicit CShowThread(CFixFrameBase* frame);

signals:
    void sigShow();
    void sigQuit();

protected:
    void run() override;

private:
    std::shared_ptr<const std::atomic<bool>> stop_;
};
