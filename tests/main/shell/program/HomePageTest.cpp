#include "CleanupExports.h"
#include "FixFrameBase.h"
#include "FixHomePage.h"
#include "ProcessObjects.h"

#include "GarbageScanMgr.h"
#include "SetWidget.h"

#include "ProgramLog.h"

#include "platform/Desktop.h"
#include "platform/Machine.h"
#include "platform/Text.h"
#include "platform/Windows.h"
#include "support/TempMachine.h"
#include "support/WaitUntil.h"
#include "support/FreshProcess.h"

#include <QApplication>
#include <QComboBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace fs = std::filesystem;

namespace {

// The drive box of the Write Protection frame that the home page built.
QComboBox* WriteProtectionBox(CFixFrameBase& home)
{
    for (CFixFrameBase* tool : home.findChildren<CFixFrameBase*>())
        if (tool->GetPageType() == 3 && tool->GetPage())
            return tool->GetPage()->findChild<QComboBox*>();
    return nullptr;
}

QStringList Calls(QWidget* wizard)
{
    return wizard ? wizard->property("calls").toStringList() : QStringList();
}

class HomePageTest : public testing::Test {
protected:
    void SetUp() override
    {
        machine_.WriteMachineIni("[Machine]\nAdministrator=1\n");
        folder_ = machine_.UseProgramFolder();
    }

    void InstallCleanupLibrary() { fs::copy_file(FAKE_SWEEPDECK_PATH, folder_ + "/Sweepdeck.so"); }

    // Runs the tool frame of the type with a timer that closes it; the class of what was shown.
    QString RunTool(CFixHomePage& home, int pageType)
    {
        auto shown = std::make_shared<QString>();
        QTimer::singleShot(30, [shown] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                *shown = QString::fromLatin1(modal->metaObject()->className());
                modal->close();
            }
        });
        home.ShowCustmsPage(pageType);
        return *shown;
    }

    testing_support::TempMachine machine_;
    std::string folder_;
};

TEST_F(HomePageTest, CleanupToolsAreBoundOnceAtStart)
{
    RUN_IN_FRESH_PROCESS({
        InstallCleanupLibrary();
        CFixFrameBase frame(2, nullptr);
        auto* home = qobject_cast<CFixHomePage*>(frame.GetPage());
        ASSERT_NE(nullptr, home);
        EXPECT_EQ(1, qApp->property("SysCleanBuilds").toInt());
        EXPECT_EQ(1, qApp->property("LargeFileBuilds").toInt());
        ASSERT_NE(nullptr, GetSysCleanExport());
        QWidget* sysClean = GetSysCleanExport()->GetSysCleanWidget();
        EXPECT_EQ(sysClean, home->GetToolFrame(10)->GetPage());
        EXPECT_EQ(QStringList {QStringLiteral("Navigate(2,true)")}, Calls(sysClean));

        // A frame built later for the same tool gets no page and calls no export.
        CFixFrameBase again(10, nullptr);
        EXPECT_EQ(nullptr, again.GetPage());
        EXPECT_EQ(1, qApp->property("SysCleanBuilds").toInt());
    });
}

TEST_F(HomePageTest, LargeFileToolStartsAtThePartitionPageEveryTime)
{
    RUN_IN_FRESH_PROCESS({
        InstallCleanupLibrary();
        CFixFrameBase frame(2, nullptr);
        auto* home = qobject_cast<CFixHomePage*>(frame.GetPage());
        QWidget* largeFile = GetLargeFileExport()->GetLargeFileWidget();
        EXPECT_EQ(QStringLiteral("CFixFrameBase"), RunTool(*home, 11));
        EXPECT_EQ(QStringLiteral("CFixFrameBase"), RunTool(*home, 11));
        EXPECT_EQ((QStringList {QStringLiteral("Navigate(3,false)"), QStringLiteral("Navigate(3,false)")}),
                  Calls(largeFile));
    });
}

TEST_F(HomePageTest, ScanAndCleanRequestsReachTheJunkPage)
{
    RUN_IN_FRESH_PROCESS({
        InstallCleanupLibrary();
        CFixFrameBase frame(2, nullptr);
        auto* home = qobject_cast<CFixHomePage*>(frame.GetPage());
        QWidget* sysClean = GetSysCleanExport()->GetSysCleanWidget();
        QTimer::singleShot(30, [] { QApplication::activeModalWidget()->close(); });
        home->RequestScan();
        QTimer::singleShot(30, [] { QApplication::activeModalWidget()->close(); });
        home->RequestClean();
        RunTool(*home, 10);
        EXPECT_EQ((QStringList {QStringLiteral("Navigate(2,true)"), QStringLiteral("ScanLater(false)"),
                                QStringLiteral("CleanLater")}),
                  Calls(sysClean));
    });
}

TEST_F(HomePageTest, MonitorStartedToScanOpensTheJunkPage)
{
    RUN_IN_FRESH_PROCESS({
        InstallCleanupLibrary();
        CFixFrameBase frame(2, nullptr);
        QWidget* sysClean = GetSysCleanExport()->GetSysCleanWidget();
        QTimer::singleShot(30, [] { QApplication::activeModalWidget()->close(); });
        frame.StartMonitor(false, true);
        EXPECT_TRUE(frame.isVisible());
        // The junk pop-up's "Clean up" opens the page for a clean-up; showing the main window stops it.
        QTimer::singleShot(30, [] { QApplication::activeModalWidget()->close(); });
        emit frame.GetScanMgr()->sigAutoClean();
        frame.slotShowAction();
        EXPECT_EQ((QStringList {QStringLiteral("Navigate(2,true)"), QStringLiteral("SetCallback"),
                                QStringLiteral("ScanLater(false)"), QStringLiteral("CleanLater"),
                                QStringLiteral("StopWork")}),
                  Calls(sysClean));
    });
}

TEST_F(HomePageTest, CleanupPagesDriveTheirFramesTitleBar)
{
    RUN_IN_FRESH_PROCESS({
        InstallCleanupLibrary();
        CFixFrameBase frame(2, nullptr);
        auto* home = qobject_cast<CFixHomePage*>(frame.GetPage());
        QWidget* junkPage = GetSysCleanExport()->GetPage(2);
        QPushButton* close =
            home->GetToolFrame(10)->GetTitleBar()->findChild<QPushButton*>(QStringLiteral("Quarnel_CloseBtn"));
        ASSERT_TRUE(QMetaObject::invokeMethod(junkPage, "WorkStart", Q_ARG(bool, true)));
        EXPECT_FALSE(close->isEnabled());
        ASSERT_TRUE(QMetaObject::invokeMethod(junkPage, "WorkStart", Q_ARG(bool, false)));
        EXPECT_TRUE(close->isEnabled());
        ASSERT_TRUE(QMetaObject::invokeMethod(GetLargeFileExport()->GetPage(4), "CurWindowName",
                                              Q_ARG(QString, QStringLiteral("LargeFileResult"))));
        EXPECT_EQ("LargeFileResult", GetCurWindowName());
    });
}

TEST_F(HomePageTest, MissingCleanupLibraryLeavesTheToolsOffAndLogsWhenOneIsPressed)
{
    RUN_IN_FRESH_PROCESS({
        CFixFrameBase frame(2, nullptr);
        auto* home = qobject_cast<CFixHomePage*>(frame.GetPage());
        EXPECT_EQ(nullptr, GetSysCleanExport());
        EXPECT_EQ(nullptr, home->GetToolFrame(10)->GetPage());
        EXPECT_EQ(nullptr, home->GetToolFrame(11)->GetPage());
        EXPECT_EQ(std::string::npos, ReadProgramLog().find("Sweepdeck")) << "binding a library logs nothing";
        // Pressed, an off tool returns at once: no frame and no message box runs.
        EXPECT_EQ(0, home->ShowCustmsPage(10));
        EXPECT_EQ(0, home->ShowCustmsPage(11));
        home->RequestScan();
        EXPECT_NE(std::string::npos, ReadProgramLog().find("clean-up tool 10 is off"));
        // The repair tools open their frames; a type without a frame opens nothing.
        EXPECT_EQ(QStringLiteral("CFixFrameBase"), RunTool(*home, 3));
        EXPECT_EQ(QString(), RunTool(*home, 2));
    });
}

TEST_F(HomePageTest, ClosingACleanupFrameWhileItsPageWorksStopsThePageFirst)
{
    RUN_IN_FRESH_PROCESS({
        InstallCleanupLibrary();
        CFixFrameBase frame(2, nullptr);
        auto* home = qobject_cast<CFixHomePage*>(frame.GetPage());
        CFixFrameBase* tool = home->GetToolFrame(11);
        QWidget* wizard = GetLargeFileExport()->GetLargeFileWidget();
        QWidget* result = GetLargeFileExport()->GetPage(4);
        bool stayedWhileWorking = false;
        QTimer::singleShot(30, [&] {
            ASSERT_TRUE(QMetaObject::invokeMethod(result, "WorkStart", Q_ARG(bool, true)));
            tool->close();
            tool->reject();
            stayedWhileWorking = tool->isVisible();
            ASSERT_TRUE(QMetaObject::invokeMethod(result, "WorkStart", Q_ARG(bool, false)));
        });
        QTimer::singleShot(3000, tool, &QWidget::hide); // a failing case ends instead of hanging
        home->ShowCustmsPage(11);
        EXPECT_TRUE(stayedWhileWorking);
        EXPECT_FALSE(tool->isVisible());
        EXPECT_EQ(1, Calls(wizard).count(QStringLiteral("CancelAll")));

        // Idle, the frame closes at once and stops nothing.
        QTimer::singleShot(30, [&] { tool->close(); });
        home->ShowCustmsPage(11);
        EXPECT_EQ(1, Calls(wizard).count(QStringLiteral("CancelAll")));
    });
}

TEST_F(HomePageTest, CommunityButtonFollowsTheAccount)
{
    RUN_IN_FRESH_PROCESS({
        CFixFrameBase frame(2, nullptr);
        auto* home = qobject_cast<CFixHomePage*>(frame.GetPage());
        QPushButton* design = home->findChild<QPushButton*>(QStringLiteral("DesignQuarnelBtn"));
        ASSERT_NE(nullptr, design);
        EXPECT_EQ(QStringLiteral("Design Quarnel"), design->text());
        home->slotLoginSig(8);
        EXPECT_EQ(QStringLiteral("Start Designing"), design->text());
        home->slotLoginActionClicked(8);
        EXPECT_EQ(QStringLiteral("Design Quarnel"), design->text());
        // "Log in" from the menu opens the log-in frame beside the home page.
        QString shown;
        QPoint shownAt;
        QTimer::singleShot(30, [&] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                shown = QString::fromLatin1(modal->metaObject()->className());
                shownAt = modal->pos();
                modal->close();
            }
        });
        home->slotLoginActionClicked(7);
        EXPECT_EQ(QStringLiteral("CFixFrameBase"), shown);
        EXPECT_EQ(home->mapToGlobal(QPoint(0, 0)) + QPoint(80, 0), shownAt);
    });
}

TEST_F(HomePageTest, SettingsDialogIsFilledFromTheMonitorAndFeedsItBack)
{
    RUN_IN_FRESH_PROCESS({
        machine_.WriteFile("program/GarbageClean.ini", "[Clean]\nCleanLv=4\n");
        CFixFrameBase frame(2, nullptr);
        frame.show();
        auto* home = qobject_cast<CFixHomePage*>(frame.GetPage());
        CGarbageScanMgr* monitor = frame.GetScanMgr();
        QPoint shownAt;
        bool levelFour = false;
        QTimer::singleShot(30, [&] {
            auto* dialog = qobject_cast<CSetWidget*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            shownAt = dialog->pos();
            const QList<QRadioButton*> radios = dialog->findChildren<QRadioButton*>();
            for (QRadioButton* radio : radios)
                if (radio->text() == QStringLiteral("800 MB"))
                    levelFour = radio->isChecked();
            for (QRadioButton* radio : radios)
                if (radio->text() == QStringLiteral("300 MB"))
                    radio->click();
            dialog->findChild<QPushButton*>(QStringLiteral("Quarnel_CloseBtn"))->click();
        });
        home->OpenSettings();
        EXPECT_EQ(home->mapToGlobal(QPoint(0, 0)) + QPoint(80, -10), shownAt);
        EXPECT_TRUE(levelFour);
        EXPECT_EQ(2, monitor->GetCleanLv());
        const std::string ini = testing_support::ReadFile(folder_ + "/GarbageClean.ini");
        EXPECT_NE(std::string::npos, ini.find("CleanLv=2"));
    });
}

TEST_F(HomePageTest, UsbSticksPluggedInAndPulledOutComeAndGoInTheWriteProtectionBox)
{
    RUN_IN_FRESH_PROCESS({
        const std::string machine = "[Machine]\nAdministrator=1\n[Drive C]\nDisk=0\n"
                                    "[Drive E]\nFolder=drive_e\nType=2\nBus=7\nDisk=1\nLabel=STICK\n"
                                    "[Disk 0]\nBus=11\n[Disk 1]\nBus=7\n";
        machine_.WriteMachineIni(machine);
        machine_.WriteFile("drive_e/notes.txt", "e");
        machine_.WriteFile("drive_f/notes.txt", "f");
        CFixFrameBase frame(2, nullptr);
        QComboBox* box = WriteProtectionBox(frame);
        ASSERT_NE(nullptr, box);
        ASSERT_TRUE(QTest::qWaitFor([box] { return box->count() == 1; }, testing_support::kPatience.count()));

        // Another program adds the second stick's drive section, as plugging it in does.
        machine_.WriteMachineIni(machine + "[Drive F]\nFolder=drive_f\nType=2\nBus=7\nDisk=2\nLabel=SECOND\n"
                                           "[Disk 2]\nBus=7\n");
        ASSERT_TRUE(QTest::qWaitFor([box] { return box->count() == 2; }, testing_support::kPatience.count()));
        EXPECT_TRUE(box->itemText(1).contains(QStringLiteral("F:"))) << box->itemText(1).toStdString();
        EXPECT_NE(std::string::npos, ReadProgramLog().find("DBT_DEVICEARRIVAL"));

        machine_.WriteMachineIni(machine); // the second stick pulled out again
        ASSERT_TRUE(QTest::qWaitFor([box] { return box->count() == 1; }, testing_support::kPatience.count()));
        EXPECT_TRUE(box->itemText(0).contains(QStringLiteral("E:"))) << box->itemText(0).toStdString();
    });
}

TEST_F(HomePageTest, FullScreenApplicationsHoldTheBackgroundScanBack)
{
    RUN_IN_FRESH_PROCESS({
        InstallCleanupLibrary();
        // Whatever else the host runs, the processor is never too busy for a scan here.
        machine_.WriteFile("program/GarbageClean.ini", "[Clean]\nCPULimit=101\n");
        CFixFrameBase frame(2, nullptr);
        QWidget* sysClean = GetSysCleanExport()->GetSysCleanWidget();
        platform::AnnounceFullScreen(true);
        frame.GetScanMgr()->OnScanTimer();
        EXPECT_FALSE(Calls(sysClean).contains(QStringLiteral("ScanLater(true)")));
        platform::AnnounceFullScreen(false);
        frame.GetScanMgr()->OnScanTimer();
        EXPECT_TRUE(Calls(sysClean).contains(QStringLiteral("ScanLater(true)")));
    });
}

} // namespace
