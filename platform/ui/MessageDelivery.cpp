#include "MessageDelivery.h"

#include "SessionEndWatcher.h"
#include "WindowPublisher.h"

#include "platform/win/Time.h"

#include <QAbstractEventDispatcher>
#include <QCursor>
#include <QGuiApplication>
#include <QWindow>

namespace platform {
namespace {

const QByteArray kEventType = QByteArrayLiteral("windows_generic_MSG");

// QWindow::nativeEvent is what the platform integration calls; the layer takes the integration's
// place, so it reaches the protected handler as a derived class may.
class CNativeEventAccess : public QWindow {
public:
    static bool Send(QWindow* window, void* message, long* result)
    {
        return (window->*(&CNativeEventAccess::nativeEvent))(kEventType, message, result);
    }
};

} // namespace

QWindow* WindowOfHandle(HWND handle)
{
    if (!handle || !qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return nullptr;
    for (QWindow* window : QGuiApplication::allWindows())
        if (window->handle() && reinterpret_cast<HWND>(window->winId()) == handle)
            return window;
    return nullptr;
}

namespace {

// Every program that uses the layer's window messages hears of the session's end from the start,
// and its windows are known to the machine's other processes once shown.
void StartWindowServices()
{
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        new CSessionEndWatcher(app);
        new CWindowPublisher(app);
    }
}

Q_COREAPP_STARTUP_FUNCTION(StartWindowServices)

} // namespace

std::optional<LRESULT> DeliverWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    QWindow* target = WindowOfHandle(window);
    if (!target)
        return std::nullopt;
    const QPoint cursor = QCursor::pos();
    MSG record {window, message, wParam, lParam, GetTickCount(), {cursor.x(), cursor.y()}};
    long result = 0;
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    if ((dispatcher && dispatcher->filterNativeEvent(kEventType, &record, &result)) ||
        CNativeEventAccess::Send(target, &record, &result))
        return result;
    return message == WM_QUERYENDSESSION ? TRUE : 0;
}

std::vector<HWND> TopLevelWindows()
{
    std::vector<HWND> windows;
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        for (QWindow* window : QGuiApplication::topLevelWindows())
            if (window->handle())
                windows.push_back(reinterpret_cast<HWND>(window->winId()));
    return windows;
}

} // namespace platform
