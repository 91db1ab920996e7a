#include "FullScreenWatcher.h"
#include "MessageDelivery.h"

#include "platform/Desktop.h"
#include "platform/win/AppBar.h"

#include <QGuiApplication>
#include <QPointer>

#include <algorithm>
#include <mutex>
#include <vector>

namespace {

struct AppBar {
    HWND window;
    UINT callbackMessage;
};

struct AppBars {
    std::mutex mutex;
    std::vector<AppBar> list;
    bool fullScreen = false;
    // Lives on the GUI thread, with the application.
    QPointer<platform::CFullScreenWatcher> watcher;
};

AppBars& Bars()
{
    static AppBars bars;
    return bars;
}

void Remove(HWND window)
{
    AppBars& bars = Bars();
    std::lock_guard<std::mutex> lock(bars.mutex);
    bars.list.erase(std::remove_if(bars.list.begin(), bars.list.end(),
                                   [window](const AppBar& bar) { return bar.window == window; }),
                    bars.list.end());
}

// Only X11 tells of the active window's state; the watcher starts with the first bar.
void WatchFullScreen()
{
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (!app || QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    QMetaObject::invokeMethod(app, [app] {
        if (!Bars().watcher)
            Bars().watcher = new platform::CFullScreenWatcher(app);
    });
}

} // namespace

UINT_PTR SHAppBarMessage(DWORD message, PAPPBARDATA data)
{
    if (!data || data->cbSize < sizeof(APPBARDATA))
        return FALSE;
    if (message == ABM_REMOVE) {
        Remove(data->hWnd);
        return TRUE;
    }
    if (message != ABM_NEW || !data->hWnd)
        return FALSE;
    {
        AppBars& bars = Bars();
        std::lock_guard<std::mutex> lock(bars.mutex);
        if (std::any_of(bars.list.begin(), bars.list.end(), [data](const AppBar& bar) { return bar.window == data->hWnd; }))
            return FALSE;
        bars.list.push_back({data->hWnd, data->uCallbackMessage});
    }
    WatchFullScreen();
    return TRUE;
}

namespace platform {

void AnnounceFullScreen(bool fullScreen)
{
    std::vector<AppBar> recipients;
    {
        AppBars& bars = Bars();
        std::lock_guard<std::mutex> lock(bars.mutex);
        if (bars.fullScreen == fullScreen)
            return;
        bars.fullScreen = fullScreen;
        recipients = bars.list;
    }
    for (const AppBar& bar : recipients)
        if (!DeliverWindowMessage(bar.window, bar.callbackMessage, ABN_FULLSCREENAPP, fullScreen ? 1 : 0))
            Remove(bar.window);
}

} // namespace platform
