#include "SessionEndWatcher.h"

#include "MessageDelivery.h"

#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace platform {
namespace {

// The write end of the watcher's pipe, for the signal handler; -1 while no watcher listens.
volatile sig_atomic_t g_signalWrite = -1;

void OnTerminate(int)
{
    const int saved = errno;
    const char byte = 1;
    if (g_signalWrite >= 0) {
        // A full pipe already holds a request, and one is all the watcher needs.
        [[maybe_unused]] const ssize_t written = write(g_signalWrite, &byte, 1);
    }
    errno = saved;
}

void RestoreDefaultTermination()
{
    g_signalWrite = -1;
    std::signal(SIGTERM, SIG_DFL);
}

} // namespace

CSessionEndWatcher::CSessionEndWatcher(QGuiApplication* app) : QObject(app)
{
    connect(app, &QGuiApplication::commitDataRequest, this, &CSessionEndWatcher::EndSession);
    connect(app, &QCoreApplication::aboutToQuit, this, &CSessionEndWatcher::TellWindows);
    if (pipe2(signalPipe_, O_CLOEXEC | O_NONBLOCK) != 0) {
        std::perror("session end: the termination signal ends the program without telling its windows");
        return;
    }
    notifier_ = new QSocketNotifier(signalPipe_[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &CSessionEndWatcher::EndSession);
    g_signalWrite = signalPipe_[1];
    struct sigaction action {};
    action.sa_handler = OnTerminate;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
}

CSessionEndWatcher::~CSessionEndWatcher()
{
    RestoreDefaultTermination();
    for (int fd : signalPipe_)
        if (fd >= 0)
            close(fd);
}

void CSessionEndWatcher::EndSession()
{
    if (requested_)
        return;
    requested_ = true;
    RestoreDefaultTermination();
    if (notifier_)
        notifier_->setEnabled(false);
    EndLoops();
}

void CSessionEndWatcher::EndLoops()
{
    if (told_)
        return;
    QCoreApplication::exit(0);
    // Kept in the queue until the main loop has ended: one that starts later finds it there.
    QMetaObject::invokeMethod(this, &CSessionEndWatcher::EndLoops, Qt::QueuedConnection);
}

void CSessionEndWatcher::TellWindows()
{
    if (!requested_ || told_)
        return;
    told_ = true;
    const std::vector<HWND> windows = TopLevelWindows();
    for (HWND window : windows)
        DeliverWindowMessage(window, WM_QUERYENDSESSION, 0, 0);
    for (HWND window : windows)
        DeliverWindowMessage(window, WM_ENDSESSION, TRUE, 0);
}

} // namespace platform
