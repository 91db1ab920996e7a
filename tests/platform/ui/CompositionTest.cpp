// Whether the desktop composites its windows: under X11 on an X server of the test's own, where
// the test plays the compositing manager; elsewhere as announced.
#include "CompositingManager.h"
#include "OwnXServer.h"

#include "platform/Desktop.h"
#include "platform/Windows.h"
#include "support/WaitUntil.h"


#include <gtest/gtest.h>

#include <xcb/xcb.h>

#include <cstdlib>
#include <string>

namespace {

// Takes or gives up the screen's compositing-manager selection, as a compositing manager does
// when it starts and ends.
void HoldSelection(xcb_connection_t* connection, xcb_window_t owner, int screen)
{
    const std::string name = "_NET_WM_CM_S" + std::to_string(screen);
    xcb_intern_atom_reply_t* atom =
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, static_cast<uint16_t>(name.size()), name.c_str()),
                              nullptr);
    ASSERT_NE(atom, nullptr);
    xcb_set_selection_owner(connection, owner, atom->atom, XCB_CURRENT_TIME);
    std::free(atom);
    // A flush only sends the request; the server serves each client in its own order, so another
    // connection sees the new owner only once this one has had a reply to a later request.
    std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
}

TEST(Composition, AnXScreenCompositesWhileAManagerHoldsItsSelection)
{
    COwnXServer server;
    if (!server.Started())
        GTEST_SKIP() << "no Xvfb";
    const QByteArray display = server.Display();
    ASSERT_FALSE(display.isEmpty());
    int screen = 0;
    xcb_connection_t* program = xcb_connect(display.constData(), &screen);
    xcb_connection_t* manager = xcb_connect(display.constData(), nullptr);
    ASSERT_FALSE(xcb_connection_has_error(program));
    ASSERT_FALSE(xcb_connection_has_error(manager));

    EXPECT_FALSE(platform::CompositingManagerRuns(program, screen)) << "a bare X server";
    const xcb_window_t owner = xcb_generate_id(manager);
    xcb_create_window(manager, XCB_COPY_FROM_PARENT, owner, xcb_setup_roots_iterator(xcb_get_setup(manager)).data->root,
                      0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    HoldSelection(manager, owner, screen);
    EXPECT_TRUE(platform::CompositingManagerRuns(program, screen));
    // The manager ends: its window goes, and the selection with it.
    xcb_destroy_window(manager, owner);
    xcb_flush(manager);
    EXPECT_TRUE(testing_support::WaitUntil([&] { return !platform::CompositingManagerRuns(program, screen); }));
    EXPECT_FALSE(platform::CompositingManagerRuns(program, screen + 1)) << "a screen the server lacks";

    xcb_disconnect(manager);
    xcb_disconnect(program);
}

TEST(Composition, OffscreenWindowsAreCompositedUnlessTheDesktopSaysOtherwise)
{
    EXPECT_EQ(DwmIsCompositionEnabled(nullptr), E_INVALIDARG);
    BOOL composited = FALSE;
    ASSERT_EQ(DwmIsCompositionEnabled(&composited), S_OK);
    EXPECT_TRUE(composited);
    platform::AnnounceComposition(false);
    ASSERT_EQ(DwmIsCompositionEnabled(&composited), S_OK);
    EXPECT_FALSE(composited);
    platform::AnnounceComposition(true);
    ASSERT_EQ(DwmIsCompositionEnabled(&composited), S_OK);
    EXPECT_TRUE(composited);
}

} // namespace
