#include "FixingDialog.h"

#include "Paneforge/Util.h"
#include "common/MachinePicture.h"
#include "common/WindowGround.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMovie>
#include <QPainter>

_FixRunThread::_FixRunThread(QObject* parent) : QThread(parent) {}

void _FixRunThread::SetTask(FixTaskFunc task, void* data)
{
    m_task = task;
    m_data = data;
}

void _FixRunThread::run()
{
    if (m_task)
        m_task(m_data);
}

CFixingDialog::CFixingDialog(QWidget* parent) : QDialog(parent, Qt::FramelessWindowHint | Qt::Tool)
{
    SetWindowGround(this);
    setFixedSize(420, 240);

    m_animation = new QLabel(this);
    m_animation->setGeometry(180, 70, 60, 60);
    auto* movie = OpenMovie(Util::getDravielsResFullPath(QStringLiteral("loading_gif.gif")), m_animation);
    m_animation->setMovie(movie);
    movie->start();

    m_text = new QLabel(this);
    m_text->setGeometry(10, 154, 400, 21);
    m_text->setAlignment(Qt::AlignCenter);
    m_text->setText(Util::GetFormatString(tr("Fixing the file system, please be patient..."), QStringLiteral("Segoe UI"),
                                          QStringLiteral("#6f788b"), 16, 400));

    m_thread = new _FixRunThread(this);
    connect(m_thread, &QThread::finished, this, &QDialog::accept);
}

void CFixingDialog::Start(FixTaskFunc task, void* data)
{
    if (!m_thread)
        return;
    m_thread->SetTask(task, data);
    m_thread->start(QThread::InheritPriority);
    exec();
}

void CFixingDialog::MoveAbove(QPoint point, int width)
{
    move(point.x() + (width - this->width()) / 2, point.y() - 10);
}

void CFixingDialog::done(int result)
{
    if (m_thread && m_thread->isRunning())
        return;
    QDialog::done(result);
}

void CFixingDialog::reject()
{
    if (m_thread && m_thread->isRunning())
        return;
    QDialog::reject();
}

void CFixingDialog::closeEvent(QCloseEvent* event)
{
    if (m_thread && m_thread->isRunning()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void CFixingDialog::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawPixmap(rect(), CachedPicture(Util::getDravielsResFullPath(QStringLiteral("pic_loading.png"))));
}
