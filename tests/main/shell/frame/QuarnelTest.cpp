// The wrapper window that holds a home frame.
#include "FixFrameBase.h"
#include "Quarnel.h"

#include "support/TempMachine.h"

#include <QLayout>

#include <gtest/gtest.h>

namespace {

TEST(Quarnel, HoldsOneHomeFrameAloneInAFramelessSeeThroughWindow)
{
    testing_support::TempMachine machine;
    machine.WriteMachineIni("[Machine]\nAdministrator=1\n");
    machine.UseProgramFolder();
    CQuarnel window;
    EXPECT_TRUE(window.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(window.testAttribute(Qt::WA_TranslucentBackground));
    ASSERT_NE(nullptr, window.HomeFrame());
    EXPECT_EQ(&window, window.HomeFrame()->parentWidget());
    ASSERT_NE(nullptr, window.layout());
    EXPECT_EQ(1, window.layout()->count());
    EXPECT_EQ(window.HomeFrame(), window.layout()->itemAt(0)->widget());
    EXPECT_EQ(QMargins(), window.layout()->contentsMargins());

    // The title bar's close and minimise leave the wrapper and its frame as they are.
    window.show();
    const bool frameShown = window.HomeFrame()->isVisible();
    for (const int button : {256, 16}) {
        window.slotTitleBtnClicked(button);
        EXPECT_TRUE(window.isVisible()) << button;
        EXPECT_EQ(Qt::WindowNoState, window.windowState()) << button;
        EXPECT_EQ(frameShown, window.HomeFrame()->isVisible()) << button;
        EXPECT_EQ(Qt::WindowNoState, window.HomeFrame()->windowState()) << button;
        EXPECT_EQ(nullptr, window.HomeFrame()->GetTrayIcon()) << button;
    }
}

} // namespace
