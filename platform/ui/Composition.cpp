#include "CompositingManager.h"

#include "platform/Desktop.h"
#include "platform/win/Dwm.h"
#include "platform/win/Errors.h"

#include <QGuiApplication>

#include <xcb/xcb.h>

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <string>

namespace {

constexpr int kNotAnnounced = -1;
std::atomic<int> g_announced {kNotAnnounced};

// The program's own connection to its X server, made at the first question and kept: a question
// is then one round trip.
bool XDesktopComposites()
{
    static std::mutex mutex;
    static xcb_connection_t* connection = nullptr;
    static int screen = 0;
    std::lock_guard<std::mutex> lock(mutex);
    if (!connection)
        connection = xcb_connect(nullptr, &screen);
    return !xcb_connection_has_error(connection) && platform::CompositingManagerRuns(connection, screen);
}

} // namespace

namespace platform {

bool CompositingManagerRuns(xcb_connection_t* connection, int screen)
{
    const std::string name = "_NET_WM_CM_S" + std::to_string(screen);
    xcb_intern_atom_reply_t* atom =
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, static_cast<uint16_t>(name.size()), name.c_str()),
                              nullptr);
    if (!atom)
        return false;
    xcb_get_selection_owner_reply_t* owner =
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, atom->atom), nullptr);
    const bool owned = owner && owner->owner != XCB_NONE;
    std::free(owner);
    std::free(atom);
    return owned;
}

void AnnounceComposition(bool composited)
{
    g_announced.store(composited ? 1 : 0);
}

} // namespace platform

HRESULT DwmIsCompositionEnabled(BOOL* enabled)
{
    if (!enabled)
        return E_INVALIDARG;
    const int announced = g_announced.load();
    if (announced != kNotAnnounced)
        *enabled = announced;
    else
        *enabled = QGuiApplication::platformName() == QLatin1String("xcb") ? XDesktopComposites() : TRUE;
    return S_OK;
}
