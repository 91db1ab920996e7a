#include "FullScreenWatcher.h"

#include "platform/Desktop.h"

#include <QSocketNotifier>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace platform {
namespace {

struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeReply>;

uint32_t Atom(xcb_connection_t* connection, const char* name)
{
    const Reply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : static_cast<uint32_t>(XCB_ATOM_NONE);
}

// The property's 32-bit values (none when the window or the property is missing).
std::vector<uint32_t> Values(xcb_connection_t* connection, uint32_t window, uint32_t property, uint32_t type)
{
    const Reply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(connection, xcb_get_property(connection, 0, window, property, type, 0, 1024), nullptr));
    if (!reply || reply->format != 32)
        return {};
    const auto* values = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
    return std::vector<uint32_t>(values, values + xcb_get_property_value_length(reply.get()) / 4);
}

void ListenToProperties(xcb_connection_t* connection, uint32_t window, bool listen)
{
    const uint32_t mask = listen ? XCB_EVENT_MASK_PROPERTY_CHANGE : XCB_EVENT_MASK_NO_EVENT;
    xcb_change_window_attributes(connection, window, XCB_CW_EVENT_MASK, &mask);
}

} // namespace

CFullScreenWatcher::CFullScreenWatcher(QObject* parent) : QObject(parent)
{
    int screenNumber = 0;
    connection_ = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection_))
        return;
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection_));
    for (int skipped = 0; skipped < screenNumber && screens.rem; ++skipped)
        xcb_screen_next(&screens);
    if (!screens.rem)
        return;
    root_ = screens.data->root;
    activeAtom_ = Atom(connection_, "_NET_ACTIVE_WINDOW");
    stateAtom_ = Atom(connection_, "_NET_WM_STATE");
    fullScreenAtom_ = Atom(connection_, "_NET_WM_STATE_FULLSCREEN");
    ListenToProperties(connection_, root_, true);
    notifier_ = new QSocketNotifier(xcb_get_file_descriptor(connection_), QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &CFullScreenWatcher::ReadEvents);
    FollowActiveWindow();
    // Events that came with the replies wait in the connection's queue, unseen by the notifier.
    ReadEvents();
}

CFullScreenWatcher::~CFullScreenWatcher()
{
    xcb_disconnect(connection_);
}

void CFullScreenWatcher::FollowActiveWindow()
{
    const std::vector<uint32_t> active = Values(connection_, root_, activeAtom_, XCB_ATOM_WINDOW);
    const uint32_t window = active.empty() ? 0 : active.front();
    if (window != active_) {
        if (active_)
            ListenToProperties(connection_, active_, false);
        active_ = window;
        if (active_)
            ListenToProperties(connection_, active_, true);
        xcb_flush(connection_);
    }
    AnnounceState();
}

void CFullScreenWatcher::AnnounceState()
{
    const std::vector<uint32_t> state = active_ ? Values(connection_, active_, stateAtom_, XCB_ATOM_ATOM) : std::vector<uint32_t>();
    AnnounceFullScreen(std::find(state.begin(), state.end(), fullScreenAtom_) != state.end());
}

void CFullScreenWatcher::ReadEvents()
{
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
        const Reply<xcb_generic_event_t> owned(event);
        if ((event->response_type & 0x7F) != XCB_PROPERTY_NOTIFY)
            continue;
        const auto* change = reinterpret_cast<const xcb_property_notify_event_t*>(event);
        if (change->window == root_ && change->atom == activeAtom_)
            FollowActiveWindow();
        else if (change->window == active_ && change->atom == stateAtom_)
            AnnounceState();
    }
    if (xcb_connection_has_error(connection_))
        notifier_->setEnabled(false);
}

} // namespace platform
