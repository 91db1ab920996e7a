#include "FixFrameBase.h"
#include "ShowEvents.h"
#include "UpdateBox.h"

#include "PageTestSupport.h"
#include "support/FreshProcess.h"
#include "support/TempMachine.h"

#include "Paneforge/Util.h"
#include "platform/Windows.h"

#include <QApplication>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

class HomeFrameThreadsTest : public testing::Test {
protected:
    void SetUp() override
    {
        machine_.WriteMachineIni("[Machine]\nAdministrator=1\n");
        machine_.UseProgramFolder();
        held_ = CreateEventW(nullptr, TRUE, FALSE, kShowAdminEvent);
    }

    void TearDown() override { CloseHandle(held_); }

    testing_support::TempMachine machine_;
    HANDLE held_ = nullptr;
};

TEST_F(HomeFrameThreadsTest, AnotherProcessBringsTheHiddenMainWindowForward)
{
    CFixFrameBase home(2, nullptr);
    home.SetTrayProbe([] { return true; });
    home.ShowMain(true);
    ASSERT_FALSE(home.isVisible());
    SetEvent(held_);
    EXPECT_TRUE(page_test::WaitUntil([&] { return home.isVisible(); }));
}

// The offer is once a run: the run is this case's own.
TEST_F(HomeFrameThreadsTest, APendingUpdateOpensTheOfferOnceTheWindowShows)
{
    RUN_IN_FRESH_PROCESS({
        Util::setDravielsCfgInfo(QStringLiteral("localcfg.ini"), QStringLiteral("cache"), QStringLiteral("update"), 2);
        CFixFrameBase home(2, nullptr);
        home.ShowMain(false);
        EXPECT_EQ(nullptr, QApplication::activeModalWidget());
        // The offer runs modally from the event loop: a timer answers it.
        bool offered = false;
        QTimer answer;
        QObject::connect(&answer, &QTimer::timeout, [&] {
            if (auto* offer = qobject_cast<CUpdateBox*>(QApplication::activeModalWidget())) {
                offered = true;
                offer->close();
            }
        });
        answer.start(50);
        EXPECT_TRUE(page_test::WaitUntil([&] { return offered; }));
    });
}

} // namespace
