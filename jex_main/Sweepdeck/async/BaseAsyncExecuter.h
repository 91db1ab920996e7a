// The worker thread of one asynchronous call. Exec starts the thread and keeps the calling (GUI)
// thread processing events in 10 ms steps until the thread's finished() comes back through the
// event queue; the caller then reads the int the work returned, as from a plain call.
#pragma once

#include "AsyncObj.h"
#include "EvtLoop.h"

#include <QString>
#include <QThread>

#include <atomic>

class CBaseAsyncExecuter : public QThread {
    Q_OBJECT
public:
    CBaseAsyncExecuter(CAsyncObj* task, QString name);
    // Waits for a worker that still runs (the work must end by itself), then lets go of the task.
    ~CBaseAsyncExecuter() override;

    // -1 without a task (no thread is started); otherwise the work's result.
    int Exec();
    // Lets a waiting Exec return now; the work itself goes on until it ends by itself.
    void Stop();
    // Ends the wait and forgets the task, which is not destroyed.
    void ReleaseTask();
    bool IsRunning() const { return isRunning(); }

protected:
    // Called by run() on the worker thread with the work's result.
    void SetResult(int result) { result_ = result; }
    // Returns once the worker has ended, looking every 80 ms. A derived executer calls it from its
    // own destructor: a worker thread that the system starts late must still find the derived run().
    void JoinWorker();

private slots:
    void onFinished();

private:
    CAsyncObj* task_;
    // Written by the worker, read by the caller: Stop can make Exec return while the work runs.
    std::atomic<int> result_{0};
    QString name_;
    bool finished_ = false;
    CEvtLoop loop_;
};
