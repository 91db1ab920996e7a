#include "SplashWin.h"

#include "GetDriverInfo.h"

#include "common/MachinePicture.h"

#include <QApplication>
#include <QIcon>
#include <QLabel>
#include <QMovie>
#include <QPainter>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

namespace {

const char* const BACKGROUND = "./res/start-bg.png";

} // namespace

void CInitDiskInfoThd::run() { CGetDriverInfo::GetInstance()->GetDriverList(true); }

CSplashWin::CSplashWin(QWidget* parent) : QWidget(parent, Qt::FramelessWindowHint)
{
    setWindowIcon(ReadIcon(QStringLiteral("./res/icon.ico")));
    setWindowTitle(tr("Orvane Quarnel Beta"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    setContentsMargins(0, 0, 0, 0);

    resize(CachedPicture(QString::fromLatin1(BACKGROUND)).size());
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(), screen->availableGeometry()));

    m_animation = new QLabel(this);
    auto* movie = OpenMovie(QStringLiteral("./res/loading.gif"), m_animation);
    m_animation->setMovie(movie);
    movie->start();
    layout->addWidget(m_animation, 0, Qt::AlignHCenter | Qt::AlignBottom);

    m_loop = new QEventLoop(this);
    m_thread = new CInitDiskInfoThd(this);
    connect(m_thread, &QThread::finished, this, &CSplashWin::slotThreadFinished);
}

// The thread is a child of the window; it must have ended before the window goes.
CSplashWin::~CSplashWin()
{
    if (m_thread)
        m_thread->wait();
    m_loop = nullptr;
}

int CSplashWin::Exec()
{
    show();
    if (m_thread)
        m_thread->start(QThread::InheritPriority);
    return m_loop ? m_loop->exec() : 0;
}

void CSplashWin::slotThreadFinished()
{
    if (m_loop)
        m_loop->exit(0);
}

void CSplashWin::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, CachedPicture(QString::fromLatin1(BACKGROUND)));
}
