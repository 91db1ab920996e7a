#include "ResUpdateThread.h"

CResUpdateThread::CResUpdateThread(QObject* parent) : QThread(parent)
{
}

void CResUpdateThread::SetPack(const CResourcePack& pack)
{
    pack_ = pack;
}

void CResUpdateThread::Abandon()
{
    setParent(nullptr);
    connect(this, &QThread::finished, this, &QObject::deleteLater);
    // A run that ended meanwhile emitted its end before anything heard it; a second request is harmless.
    if (isFinished())
        deleteLater();
}

void CResUpdateThread::run()
{
    if (pack_)
        emit sigFinished(pack_->Update());
}
