#include "BaseAsyncExecuter.h"

#include <utility>

namespace {

// How often the destructor looks whether the worker has ended.
constexpr unsigned long kJoinStepMs = 80;

} // namespace

CBaseAsyncExecuter::CBaseAsyncExecuter(CAsyncObj* task, QString name) : task_(task), name_(std::move(name))
{
    // The executer lives in the caller's thread, so the slot runs there, from its event queue.
    connect(this, &QThread::finished, this, &CBaseAsyncExecuter::onFinished);
}

CBaseAsyncExecuter::~CBaseAsyncExecuter()
{
    JoinWorker();
    ReleaseTask();
}

void CBaseAsyncExecuter::JoinWorker()
{
    while (!wait(kJoinStepMs)) {
    }
}

int CBaseAsyncExecuter::Exec()
{
    if (!task_)
        return -1;
    start(QThread::InheritPriority);
    task_->SetName(name_);
    task_->Wait(&loop_);
    return result_;
}

void CBaseAsyncExecuter::onFinished()
{
    if (finished_)
        return;
    finished_ = true;
    if (task_)
        task_->Quit(&loop_);
}

void CBaseAsyncExecuter::Stop()
{
    if (task_ && !finished_)
        task_->Quit(&loop_);
    finished_ = true;
}

void CBaseAsyncExecuter::ReleaseTask()
{
    if (!task_)
        return;
    task_->Quit(&loop_);
    task_ = nullptr;
}
