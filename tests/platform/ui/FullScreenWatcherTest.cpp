// The desktop's full-screen windows under X11, on an X server of the test's own: a window manager's
// part (the active window and its state) is played by the test.
#include "FullScreenWatcher.h"
#include "OwnXServer.h"

#include "platform/Windows.h"
#include "support/WaitUntil.h"

#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr UINT kBarMessage = 0x8124;

// Hears the bar's callback message: the lParam of each full-screen notice.
class CBarWindow : public QWidget {
public:
    std::vector<LPARAM> notices;

protected:
    bool nativeEvent(const QByteArray& eventType, void* message, long*) override
    {
        const MSG* msg = static_cast<const MSG*>(message);
        if (eventType == "windows_generic_MSG" && msg->message == kBarMessage && msg->wParam == ABN_FULLSCREENAPP)
            notices.push_back(msg->lParam);
        return true;
    }
};

class CDesktop {
public:
    explicit CDesktop(xcb_connection_t* connection) : connection_(connection)
    {
        root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
        active_ = Atom("_NET_ACTIVE_WINDOW");
        state_ = Atom("_NET_WM_STATE");
        fullScreen_ = Atom("_NET_WM_STATE_FULLSCREEN");
    }

    xcb_window_t MakeWindow()
    {
        const xcb_window_t window = xcb_generate_id(connection_);
        xcb_create_window(connection_, XCB_COPY_FROM_PARENT, window, root_, 0, 0, 100, 100, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
        return window;
    }
    void Activate(xcb_window_t window) { Set(root_, active_, XCB_ATOM_WINDOW, {window}); }
    void SetFullScreen(xcb_window_t window, bool on)
    {
        Set(window, state_, XCB_ATOM_ATOM, on ? std::vector<uint32_t> {fullScreen_} : std::vector<uint32_t> {});
    }

private:
    uint32_t Atom(const char* name)
    {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            connection_, xcb_intern_atom(connection_, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
        const uint32_t atom = reply ? reply->atom : 0;
        std::free(reply);
        return atom;
    }
    void Set(xcb_window_t window, uint32_t property, uint32_t type, const std::vector<uint32_t>& values)
    {
        xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window, property, type, 32,
                            static_cast<uint32_t>(values.size()), values.data());
        // A round trip, not a flush: the watcher's own connection sees the change only once the
        // server has served it.
        std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
    }

    xcb_connection_t* connection_;
    xcb_window_t root_ = 0;
    uint32_t active_ = 0;
    uint32_t state_ = 0;
    uint32_t fullScreen_ = 0;
};

TEST(FullScreenWatcher, TheActiveWindowGoingFullScreenAndBackIsAnnounced)
{
    COwnXServer server;
    if (!server.Started())
        GTEST_SKIP() << "no Xvfb";
    const QByteArray display = server.Display();
    ASSERT_FALSE(display.isEmpty());
    setenv("DISPLAY", display.constData(), 1);
    xcb_connection_t* connection = xcb_connect(display.constData(), nullptr);
    ASSERT_FALSE(xcb_connection_has_error(connection));
    CDesktop desktop(connection);
    const xcb_window_t game = desktop.MakeWindow();
    const xcb_window_t editor = desktop.MakeWindow();
    desktop.Activate(editor);
    desktop.SetFullScreen(game, true);

    CBarWindow bar;
    APPBARDATA data {};
    data.cbSize = sizeof(data);
    data.hWnd = reinterpret_cast<HWND>(bar.winId());
    data.uCallbackMessage = kBarMessage;
    ASSERT_TRUE(SHAppBarMessage(ABM_NEW, &data));
    {
        platform::CFullScreenWatcher watcher(nullptr);
        // Switching to a window that is already full-screen, then that window leaving full screen.
        desktop.Activate(game);
        EXPECT_TRUE(QTest::qWaitFor([&] { return bar.notices.size() == 1; }, testing_support::kPatience.count()));
        desktop.SetFullScreen(game, false);
        EXPECT_TRUE(QTest::qWaitFor([&] { return bar.notices.size() == 2; }, testing_support::kPatience.count()));
        // A change of another window's state is none of the desktop's business.
        desktop.SetFullScreen(editor, true);
        desktop.SetFullScreen(game, true);
        EXPECT_TRUE(QTest::qWaitFor([&] { return bar.notices.size() == 3; }, testing_support::kPatience.count()));
        // The desktop is left as it was found: the bars' last word is the one a later watcher starts from.
        desktop.SetFullScreen(game, false);
        EXPECT_TRUE(QTest::qWaitFor([&] { return bar.notices.size() == 4; }, testing_support::kPatience.count()));
    }
    EXPECT_EQ((std::vector<LPARAM> {1, 0, 1, 0}), bar.notices);
    SHAppBarMessage(ABM_REMOVE, &data);
    xcb_disconnect(connection);
}

} // namespace
