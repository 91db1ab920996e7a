// The junk monitor inside the main window, with the real clean-up library and junk gatherer: a
// background analysis of the machine's junk, the junk-found pop-up, and its "Clean up".
#include "FixFrameBase.h"
#include "FixHomePage.h"
#include "GarbageCleanWnd.h"
#include "GarbageScanMgr.h"
#include "SetWidget.h"

#include "platform/Machine.h"
#include "support/FreshProcess.h"
#include "support/TempMachine.h"
#include "support/WaitUntil.h"

#include <QApplication>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

class MonitorProgramTest : public testing::Test {
protected:
    void SetUp() override
    {
        machine_.WriteMachineIni("[Machine]\nAdministrator=1\nUserName=Owner\n");
        folder_ = machine_.UseProgramFolder();
        testing_support::InstallCleanupLibrary(folder_);
    }

    void Plant(const std::string& relative, uintmax_t size) { machine_.PlantJunk(relative, size); }
    bool Planted(const std::string& relative) const { return fs::exists(machine_.Root() + "/drive_c/" + relative); }

    testing_support::TempMachine machine_;
    std::string folder_;
};

// The clean-up library's system-clean object is made once a run: the run is this case's own.
TEST_F(MonitorProgramTest, BackgroundAnalysisLeadsToThePopupWhoseCleanUpCleansAtOnce)
{
    RUN_IN_FRESH_PROCESS({
        // Level 5 is 4 GiB: the junk, 4 GiB and 2 bytes, passes it only by its high half.
        machine_.WriteFile("program/GarbageClean.ini", "[Clean]\nCPULimit=1000\nCleanLv=5\nlv5=4096\n");
        Plant("Windows/Prefetch/BIG.pf", 0x100000000ull);
        Plant("Windows/Prefetch/SMALL.pf", 2);
        CFixFrameBase frame(2, nullptr);
        CGarbageScanMgr* monitor = frame.GetScanMgr();
        ASSERT_NE(nullptr, monitor);
        monitor->StartMonitor(false, false);

        monitor->OnScanTimer();
        ASSERT_TRUE(QTest::qWaitFor([&] { return monitor->JunkWnd()->isVisible(); },
                                    testing_support::kPatience.count()))
            << "no pop-up for " << monitor->JunkWnd()->SizeText().toStdString();
        EXPECT_EQ(QStringLiteral("4.00 GB"), monitor->JunkWnd()->SizeText());
        EXPECT_TRUE(Planted("Windows/Prefetch/BIG.pf")) << "a background analysis cleans nothing";

        bool mainShown = false;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal || Planted("Windows/Prefetch/BIG.pf"))
                return;
            mainShown = frame.isVisible();
            watch.stop();
            modal->close();
        });
        watch.start(50);
        QTimer::singleShot(60000, [] {
            if (QWidget* modal = QApplication::activeModalWidget())
                modal->close();
        });
        for (QPushButton* button : monitor->JunkWnd()->findChildren<QPushButton*>())
            if (button->text() == QStringLiteral("Clean up"))
                button->click();
        EXPECT_FALSE(monitor->JunkWnd()->isVisible());
        EXPECT_TRUE(mainShown);
        EXPECT_FALSE(Planted("Windows/Prefetch/BIG.pf")) << "cleaned without a question";
    });
}

TEST_F(MonitorProgramTest, SettingsDialogWritesTheLevelAndKeepsTheOtherKeys)
{
    machine_.WriteFile("program/GarbageClean.ini",
                       "; the monitor's settings\n[Clean]\nScanInterval=600\nCleanLv=2\nlv4=900\n\n[Other]\nKey=1\n");
    CFixFrameBase frame(2, nullptr);
    frame.show();
    auto* home = qobject_cast<CFixHomePage*>(frame.GetPage());
    QTimer::singleShot(30, [&] {
        auto* dialog = qobject_cast<CSetWidget*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        for (QRadioButton* radio : dialog->findChildren<QRadioButton*>())
            if (radio->text() == QStringLiteral("900 MB"))
                radio->click();
        for (QCheckBox* box : dialog->findChildren<QCheckBox*>())
            if (box->text() == QStringLiteral("Remind me while the computer is idle"))
                box->click();
        dialog->findChild<QPushButton*>(QStringLiteral("Quarnel_CloseBtn"))->click();
    });
    home->OpenSettings();
    const std::string ini = testing_support::ReadFile(folder_ + "/GarbageClean.ini");
    for (const char* line : {"CleanLv=4", "ShowClean=0", "ScanInterval=600", "lv4=900", "[Other]", "Key=1"})
        EXPECT_NE(std::string::npos, ini.find(line)) << line << "\n" << ini;
    EXPECT_FALSE(frame.GetScanMgr()->GetShowClean());
}

} // namespace
