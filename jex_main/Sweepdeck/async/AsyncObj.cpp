#include "AsyncObj.h"

#include <utility>

int CAsyncObj::Wait(CEvtLoop* loop)
{
    CEvtLoop* target = LoopOf(loop);
    return target->IsRunning() ? 0 : target->Exec();
}

int CAsyncObj::Quit(CEvtLoop* loop)
{
    CEvtLoop* target = LoopOf(loop);
    if (target->IsRunning())
        target->Quit();
    return 0;
}

void CAsyncObj::SetName(QString name) { name_ = std::move(name); }

QString CAsyncObj::GetName() { return name_; }
