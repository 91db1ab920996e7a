#include "BgRunThread.h"

CBgRunThread::CBgRunThread(BgTaskFunc task, void* data) : QThread(nullptr), task_(task), data_(data)
{
}

void CBgRunThread::run()
{
    if (task_)
        task_(data_);
}
