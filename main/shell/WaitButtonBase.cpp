#include "WaitButtonBase.h"

#include "common/MachinePicture.h"

#include <QIcon>

namespace {

constexpr int kFrameCount = 24;
constexpr int kFrameMs = 100;

QStringList LoadingFrames()
{
    QStringList frames;
    for (int i = 0; i < kFrameCount; ++i)
        frames << QStringLiteral("./res/loading/loading%1.png").arg(i, 2, 10, QLatin1Char('0'));
    return frames;
}

} // namespace

CWaitButtonBase::CWaitButtonBase(const QString& text, QWidget* parent, bool reenableWhenDone)
    : QPushButton(text, parent), frames_(LoadingFrames()), reenableWhenDone_(reenableWhenDone)
{
    loop_ = new QEventLoop();
    timer_ = new QTimer();
    timer_->setInterval(kFrameMs);
    connect(timer_, &QTimer::timeout, this, &CWaitButtonBase::slotChangeImage);
}

CWaitButtonBase::~CWaitButtonBase()
{
    ReleaseThread();
    delete timer_;
    delete loop_;
}

void CWaitButtonBase::SetTask(BgTaskFunc task, void* data)
{
    task_ = task;
    data_ = data;
    ReleaseThread();
    thread_ = new CBgRunThread(task_, data_);
    connect(thread_, &QThread::finished, this, &CWaitButtonBase::slotThreadFinished);
}

void CWaitButtonBase::ReleaseThread()
{
    if (!thread_)
        return;
    if (thread_->isRunning())
        connect(thread_, &QThread::finished, thread_, &QObject::deleteLater);
    else
        delete thread_;
    thread_ = nullptr;
}

void CWaitButtonBase::RunTask()
{
    if (!thread_) {
        slotThreadFinished();
        return;
    }
    if (timer_)
        timer_->start(kFrameMs);
    thread_->start(QThread::InheritPriority);
    if (loop_)
        loop_->exec(QEventLoop::ExcludeUserInputEvents);
}

void CWaitButtonBase::slotChangeImage()
{
    if (frames_.isEmpty())
        return;
    if (frame_ >= frames_.size())
        frame_ = 0;
    setIcon(QIcon(CachedPicture(frames_.at(frame_))));
    ++frame_;
}

void CWaitButtonBase::slotThreadFinished()
{
    if (timer_)
        timer_->stop();
    if (loop_)
        loop_->exit(0);
    frame_ = 0;
    setIcon(QIcon());
    if (reenableWhenDone_)
        setEnabled(true);
    emit sigReleased();
}
