#include "EvtLoop.h"

#include <QCoreApplication>
#include <QThread>

CEvtLoop::CEvtLoop(QObject* parent) : QObject(parent) {}

int CEvtLoop::Exec()
{
    if (running_)
        return 0;
    quit_ = false;
    while (!quit_) {
        running_ = true;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        if (!quit_)
            QThread::msleep(static_cast<unsigned long>(interval_));
    }
    return result_;
}

void CEvtLoop::Quit() { quit_ = true; }
