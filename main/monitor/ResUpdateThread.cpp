#include "ResUpdateThread.h"

#include "GarbageScanMgr.h"

CResUpdateThread::CResUpdateThread(QObject* parent) : QThread(parent), owner_(qobject_cast<CGarbageScanMgr*>(parent))
{
}

void CResUpdateThread::run()
{
    if (owner_)
        owner_->UpdateRes(true);
}
