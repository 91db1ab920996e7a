// Follows the X11 desktop's active window (_NET_ACTIVE_WINDOW of the root window) and whether it
// is full-screen (_NET_WM_STATE_FULLSCREEN in its _NET_WM_STATE), over a display connection of its
// own, and announces each change to the application bars. A desktop whose window manager keeps
// neither property (a bare X server) never announces anything.
#pragma once

#include <QObject>

#include <cstdint>

class QSocketNotifier;
struct xcb_connection_t;

namespace platform {

class CFullScreenWatcher : public QObject {
    Q_OBJECT
public:
    explicit CFullScreenWatcher(QObject* parent);
    ~CFullScreenWatcher() override;

private:
    void ReadEvents();
    // Listens to the active window's state from now on.
    void FollowActiveWindow();
    void AnnounceState();

    xcb_connection_t* connection_ = nullptr;
    QSocketNotifier* notifier_ = nullptr;
    uint32_t root_ = 0;
    uint32_t active_ = 0;
    uint32_t activeAtom_ = 0;
    uint32_t stateAtom_ = 0;
    uint32_t fullScreenAtom_ = 0;
};

} // namespace platform
