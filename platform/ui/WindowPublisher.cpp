#include "WindowPublisher.h"

#include "MessagePort.h"

#include "../kernel/ProcessRecord.h"
#include "../kernel/RunFolder.h"

#include <QGuiApplication>
#include <QPlatformSurfaceEvent>
#include <QWindow>

#include <unistd.h>

namespace platform {
namespace {

DWORD g_guiThread = 0;

bool IsPublishable(QWindow* window)
{
    return !window->parent() && (window->type() == Qt::Window || window->type() == Qt::Dialog);
}

} // namespace

CWindowPublisher::CWindowPublisher(QGuiApplication* app) : QObject(app)
{
    g_guiThread = static_cast<DWORD>(gettid());
    app->installEventFilter(this);
}

CWindowPublisher::~CWindowPublisher()
{
    for (const auto& entry : published_)
        WithdrawWindow(entry.second.path);
}

DWORD CWindowPublisher::GuiThreadId() { return g_guiThread; }

bool CWindowPublisher::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if ((type != QEvent::Show && type != QEvent::Hide && type != QEvent::Expose && type != QEvent::PlatformSurface) ||
        !watched->isWindowType())
        return false;
    // A window being destroyed is a QWindow no longer: only its address is used then.
    auto* window = static_cast<QWindow*>(watched);
    if (type == QEvent::PlatformSurface) {
        if (static_cast<QPlatformSurfaceEvent*>(event)->surfaceEventType() ==
            QPlatformSurfaceEvent::SurfaceAboutToBeDestroyed)
            Withdraw(window, false);
    } else if (published_.count(window) != 0 || (type == QEvent::Show && IsPublishable(window))) {
        // The platform may give a window a new native window without telling (a change of its
        // flags on X11): showing, hiding and exposing it look again.
        Publish(window);
    }
    return false;
}

void CWindowPublisher::Publish(QWindow* window)
{
    if (!window->handle())
        return;
    OpenPort();
    auto found = published_.find(window);
    if (found == published_.end()) {
        found = published_.emplace(window, Published {}).first;
        connect(window, &QWindow::windowTitleChanged, this, [this, window] {
            if (published_.count(window) != 0)
                Publish(window);
        });
        connect(window, &QObject::destroyed, this, [this, window] { Withdraw(window, true); });
    }
    // The process's start time never changes: read once, not at every expose.
    static const auto startTime = HostStartTime(getpid()).value_or(0);
    WindowRecord record;
    record.pid = getpid();
    record.startTime = startTime;
    record.localId = static_cast<uint32_t>(window->winId());
    record.threadId = g_guiThread;
    record.visible = window->isVisible();
    record.title = window->title().toStdWString();
    const WindowRecord& known = found->second.record;
    if (!found->second.path.empty() && known.localId == record.localId && known.visible == record.visible &&
        known.title == record.title)
        return;
    const std::string path = PublishWindow(record);
    if (path != found->second.path)
        WithdrawWindow(found->second.path);
    found->second = {record, path};
}

void CWindowPublisher::Withdraw(QWindow* window, bool forget)
{
    const auto found = published_.find(window);
    if (found == published_.end())
        return;
    WithdrawWindow(found->second.path);
    found->second.path.clear();
    if (forget)
        published_.erase(found);
}

void CWindowPublisher::OpenPort()
{
    // A program that moved to another machine root opens its port there.
    const std::string folder = RunFolder();
    if (port_ && port_->IsOpen() && portFolder_ == folder)
        return;
    port_.reset();
    port_ = std::make_unique<CMessagePort>(nullptr);
    portFolder_ = folder;
}

} // namespace platform
