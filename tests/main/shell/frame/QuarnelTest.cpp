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
    window.slotTitleBtnClicked(256);
    EXPECT_NE(nullptr, window.HomeFrame());
}

} // namespace
