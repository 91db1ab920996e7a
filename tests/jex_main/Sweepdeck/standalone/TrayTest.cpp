// The tray's background check over the real gatherers, its tips and what their buttons start.

#include "StandaloneFixture.h"

#include "kit/CheckBox.h"
#include "kit/PushButton.h"
#include "largefile/DiskWidget.h"
#include "services/UIPublic.h"
#include "standalone/IconTray.h"
#include "standalone/IconTrayMenu.h"
#include "standalone/TrayTipDlg.h"

#include <QAction>
#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace standalone_test {
namespace {

constexpr double kTinyMB = 0.001; // about 1 KB: the planted junk is above it
constexpr double kHugeMB = 1000;

class TrayTest : public StandaloneTest {
protected:
    void Start(int dataFreePercent)
    {
        MakeMachine(dataFreePercent);
        LoadEngines();
        tray = std::make_unique<CIconTray>(QIcon(), nullptr);
        tray->SetRestarter([this](int page) { restarts.push_back(page); });
    }
    void TearDown() override
    {
        tray.reset();
        StandaloneTest::TearDown();
    }
    // Closes each modal dialog that comes up, noting it.
    void CloseModals()
    {
        auto* poll = new QTimer(tray.get());
        QObject::connect(poll, &QTimer::timeout, [this]() {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                modals.push_back(modal);
                modal->close();
            }
        });
        poll->start(20);
    }

    std::unique_ptr<CIconTray> tray;
    std::vector<int> restarts;
    std::vector<QWidget*> modals;
};

TEST_F(TrayTest, JunkAboveTheThresholdShowsTheJunkTipWhoseButtonOpensTheJunkPage)
{
    Start(50);
    tray->StartCheck(0, kTinyMB);
    EXPECT_EQ(tray->ThresholdBytes(), 1048u);
    ASSERT_TRUE(WaitUntil([this] { return tray->Tip() && tray->Tip()->isVisible(); }));
    EXPECT_TRUE(tray->Tip()->IsJunkTip());
    QTest::mouseClick(tray->Tip()->AcceptButton(), Qt::LeftButton);
    EXPECT_FALSE(tray->Tip()->isVisible());
    EXPECT_EQ(restarts, std::vector<int>{2});
}

TEST_F(TrayTest, ANearlyFullFixedDriveShowsTheDiskTipWhenTheJunkIsBelowTheThreshold)
{
    Start(10);
    tray->StartCheck(0, kHugeMB);
    ASSERT_TRUE(WaitUntil([this] { return tray->Tip() && tray->Tip()->isVisible(); }));
    EXPECT_FALSE(tray->Tip()->IsJunkTip());
    // The tip shows the drive that triggered it: the fixed data drive at 90 % used, not the system
    // drive, which is fuller still.
    auto* drive = tray->Tip()->findChild<CDiskWidget*>();
    ASSERT_NE(drive, nullptr);
    EXPECT_EQ(drive->GetType(), 3);
    EXPECT_EQ(drive->UsedPercent(), 90);
    QTest::mouseClick(tray->Tip()->AcceptButton(), Qt::LeftButton);
    EXPECT_EQ(restarts, std::vector<int>{5});
}

TEST_F(TrayTest, BothFindingsInOneCheckShowTheJunkTipAndThenTheSameTipModally)
{
    Start(10);
    CloseModals();
    tray->StartCheck(0, kTinyMB);
    ASSERT_TRUE(WaitUntil([this] { return !modals.empty(); }));
    ASSERT_NE(tray->Tip(), nullptr);
    EXPECT_TRUE(tray->Tip()->IsJunkTip());
    EXPECT_EQ(modals, std::vector<QWidget*>{tray->Tip()});
}

TEST_F(TrayTest, AfterStopNoTipComesAndOpenRestartsOnTheStartPage)
{
    Start(50);
    tray->StopCheck();
    emit tray->showTip(quint64(5000));
    QCoreApplication::processEvents();
    EXPECT_EQ(tray->Tip(), nullptr);

    const QList<QAction*> entries = tray->Menu()->actions();
    ASSERT_EQ(entries.size(), 2);
    QSignalSpy activate(tray.get(), &CIconTray::activate);
    entries[1]->trigger();
    ASSERT_EQ(activate.count(), 1);
    EXPECT_EQ(activate[0][0].toInt(), 1);
    entries[0]->trigger();
    EXPECT_EQ(restarts, std::vector<int>{0});
    EXPECT_TRUE(tray->IsStopped());
}

TEST_F(TrayTest, DontShowAgainStoresTheChoiceRemovesTheAutostartAndEndsTheProgram)
{
    Start(50);
    ASSERT_TRUE(CUIPublic::Instance()->SetAutoRun(false, 10, 300));
    tray->StartCheck(0, kTinyMB);
    ASSERT_TRUE(WaitUntil([this] { return tray->Tip() && tray->Tip()->isVisible(); }));
    QSignalSpy activate(tray.get(), &CIconTray::activate);
    tray->Tip()->CheckBox()->setChecked(true);
    EXPECT_TRUE(CUIPublic::GetUserSetting(QStringLiteral("notshowTip")).toBool());
    EXPECT_FALSE(CUIPublic::IsAutoRun());
    ASSERT_EQ(activate.count(), 1);
    EXPECT_EQ(activate[0][0].toInt(), 1);

    // With the tips off, a later finding shows nothing.
    CIconTray later(QIcon(), nullptr);
    emit later.showTip(quint64(5000));
    QCoreApplication::processEvents();
    EXPECT_EQ(later.Tip(), nullptr);
}

} // namespace
} // namespace standalone_test
