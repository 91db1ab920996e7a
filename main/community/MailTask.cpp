#include "MailTask.h"

#include "AccountForm.h"
#include "UserHelper.h"

#include <atomic>
#include <memory>

namespace {

void FreeTask(CBgRunThread* worker)
{
    delete static_cast<S_REGIST_INFO*>(worker->GetData());
    worker->deleteLater();
}

} // namespace

void StartMailTask(QPointer<CBgRunThread>& worker, BgTaskFunc task, const QString& email, QObject* context,
                   const std::function<void()>& onFinished)
{
    if (worker && worker->isRunning())
        return;
    // A finished task whose answer nobody read yet is superseded by the new one.
    int superseded = 0;
    TakeMailResult(worker, superseded);
    auto* record = new S_REGIST_INFO();
    record->strEmail = account_form::ToLocal8Bit(email);
    worker = new CBgRunThread(task, record);
    QObject::connect(worker, &QThread::finished, context, onFinished);
    worker->start(QThread::InheritPriority);
}

bool TakeMailResult(QPointer<CBgRunThread>& worker, int& code)
{
    if (!worker || !worker->isFinished())
        return false;
    code = static_cast<S_REGIST_INFO*>(worker->GetData())->status.iState;
    FreeTask(worker);
    worker = nullptr;
    return true;
}

void ReleaseMailTask(QPointer<CBgRunThread>& worker)
{
    if (!worker)
        return;
    CBgRunThread* running = worker;
    worker = nullptr;
    running->disconnect();
    // The end may come between the check and the connection, or both may see it: free once.
    const auto freed = std::make_shared<std::atomic<bool>>(false);
    const auto freeOnce = [running, freed] {
        if (!freed->exchange(true))
            FreeTask(running);
    };
    QObject::connect(running, &QThread::finished, running, freeOnce);
    if (running->isFinished())
        freeOnce();
}
