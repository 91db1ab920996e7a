#include "GarbageScanMgr.h"

#include "FakeSources.h"
#include "GarbageCleanWnd.h"
#include "StarUpWnd.h"

#include "CleanupExports.h"
#include "FixPageId.h"
#include "HomeFrame.h"

#include "platform/Machine.h"
#include "platform/Windows.h"
#include "support/TempMachine.h"
#include "support/WaitUntil.h"
#include "support/FreshProcess.h"

#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>

namespace fs = std::filesystem;
using testing_support::ReadFile;

namespace {

class GarbageScanMgrTest : public testing::Test {
protected:
    void SetUp() override { folder_ = machine_.UseProgramFolder(); }

    std::string Settings() const { return ReadFile(folder_ + "/GarbageClean.ini"); }
    void WriteSettings(const std::string& clean) const { machine_.WriteFile("program/GarbageClean.ini", "[Clean]\n" + clean); }
    static std::string ResourceFile(const CGarbageScanMgr& monitor, const char* name)
    {
        return platform::HostPath((monitor.ResourceFolder() + QLatin1String(name)).toStdWString());
    }
    static void WriteResource(const CGarbageScanMgr& monitor, const char* name, const std::string& content)
    {
        const std::string path = ResourceFile(monitor, name);
        fs::create_directories(fs::path(path).parent_path());
        std::ofstream(path) << content;
    }

    // The test clean-up library, whose export object records what it is asked. As in the program,
    // the object is made once and kept for the rest of the process, its wizard under a parent that
    // lives as long; what it recorded in earlier cases stays.
    IExportWidget* UseRecordingCleanupLibrary()
    {
        if (IExportWidget* made = GetSysCleanExport())
            return made;
        fs::copy_file(FAKE_SWEEPDECK_PATH, folder_ + "/Sweepdeck.so");
        static QWidget* const parent = new QWidget;
        return MakeCleanupExport(PAGE_SYSTEM_CLEANUP, parent);
    }
    static QStringList Calls() { return GetSysCleanExport()->GetSysCleanWidget()->property("calls").toStringList(); }
    static int Scans() { return Calls().count(QStringLiteral("ScanLater(true)")); }

    testing_support::TempMachine machine_;
    std::string folder_;
};

TEST(GarbageSizeText, ThreeSignificantDigitsAtMost)
{
    const std::pair<qint64, const char*> sizes[] = {
        {0, "0 KB"},          {1, "1 KB"},           {2, "1 KB"},           {500, "1 KB"},
        {1500, "1.46 KB"},    {104857600, "100 MB"}, {1073741824, "1.00 GB"}, {1073717248, "1023 MB"},
        {13254998016, "12.3 GB"}, {1099511627776, "1.00 TB"},
    };
    for (const auto& [bytes, text] : sizes)
        EXPECT_EQ(QString::fromLatin1(text), CGarbageScanMgr::FormatSizeText(bytes)) << bytes;
}

TEST_F(GarbageScanMgrTest, DefaultsWithoutSettingsAndTheLevelWrittenBack)
{
    CGarbageScanMgr monitor(nullptr);
    EXPECT_TRUE(monitor.GetShowAssit());
    EXPECT_TRUE(monitor.GetShowClean());
    EXPECT_EQ(1, monitor.GetCleanLv());
    EXPECT_TRUE(monitor.GetEnableAssit());
    EXPECT_TRUE(monitor.GetEnableScan());
    EXPECT_EQ(10800000, monitor.ScanIntervalMs());
    EXPECT_EQ(10800000, monitor.RetryIntervalMs());
    EXPECT_EQ(30, monitor.JunkWnd()->Duration());
    EXPECT_EQ((QStringList {QStringLiteral("100 MB"), QStringLiteral("300 MB"), QStringLiteral("500 MB"),
                            QStringLiteral("800 MB"), QStringLiteral("1.00 GB")}),
              monitor.GetLvTextList());
    EXPECT_NE(std::string::npos, Settings().find("[Clean]"));
    EXPECT_NE(std::string::npos, Settings().find("CleanLv=1"));
}

TEST_F(GarbageScanMgrTest, SettingsAreReadAndChoicesWrittenKeepingTheOtherKeys)
{
    WriteSettings("CleanLv=3\nlv3=2048\nShowAssit=0\nShowClean=0\nScanInterval=60\nStarUpDuration=12\n");
    CGarbageScanMgr monitor(nullptr);
    EXPECT_EQ(3, monitor.GetCleanLv());
    EXPECT_EQ(2048ll * 1048576, monitor.Threshold());
    EXPECT_FALSE(monitor.GetShowAssit());
    EXPECT_FALSE(monitor.GetShowClean());
    EXPECT_EQ(60000, monitor.ScanIntervalMs());
    EXPECT_EQ(12, monitor.StarUpWnd()->Duration());
    EXPECT_EQ(QStringLiteral("2.00 GB"), monitor.GetLvTextList().at(2));

    monitor.SetShowAssit(true);
    monitor.SetShowClean(true);
    monitor.SetCleanLv(5);
    EXPECT_TRUE(monitor.GetShowAssit());
    EXPECT_EQ(5, monitor.GetCleanLv());
    const std::string ini = Settings();
    for (const char* kept : {"ShowAssit=1", "ShowClean=1", "CleanLv=5", "ScanInterval=60", "lv3=2048", "StarUpDuration=12"})
        EXPECT_NE(std::string::npos, ini.find(kept)) << kept << "\n" << ini;
}

TEST_F(GarbageScanMgrTest, LevelsOutsideTheTableTakeTheNearest)
{
    WriteSettings("CleanLv=9\n");
    CGarbageScanMgr monitor(nullptr);
    EXPECT_EQ(5, monitor.GetCleanLv());
    EXPECT_EQ(1024ll * 1048576, monitor.Threshold());
    monitor.SetCleanLv(0);
    EXPECT_EQ(1, monitor.GetCleanLv());
    monitor.SetCleanLv(INT_MIN);
    EXPECT_EQ(1, monitor.GetCleanLv());
    EXPECT_EQ(100ll * 1048576, monitor.Threshold());
    EXPECT_NE(std::string::npos, Settings().find("CleanLv=1"));
}

TEST_F(GarbageScanMgrTest, IntervalsThatAreNoPositiveNumberTakeTheDefaultAndLongOnesAreCut)
{
    const std::pair<const char*, int> intervals[] = {
        {"0", 10800000}, {"-5", 10800000}, {"99999999999", 10800000}, {"soon", 10800000},
        {"3000000", INT_MAX}, {"1", 1000},
    };
    for (const auto& [value, milliseconds] : intervals) {
        WriteSettings(std::string("ScanInterval=") + value + "\nRetryInterval=" + value + "\n");
        CGarbageScanMgr monitor(nullptr);
        EXPECT_EQ(milliseconds, monitor.ScanIntervalMs()) << value;
        EXPECT_EQ(milliseconds, monitor.RetryIntervalMs()) << value;
        monitor.StartMonitor(false, false);
        EXPECT_TRUE(monitor.IsScanTimerActive()) << value;
    }
}

TEST_F(GarbageScanMgrTest, ServerSwitchesComeFromTrayPopWithoutTheUpdateLibrary)
{
    ASSERT_FALSE(fs::exists(folder_ + "/Update.so"));
    WriteResource(CGarbageScanMgr(nullptr), "TrayPop.ini", "[update]\nenablescan=0\nenableassit=0\n");
    CGarbageScanMgr monitor(nullptr);
    EXPECT_FALSE(monitor.GetEnableScan());
    EXPECT_FALSE(monitor.GetEnableAssit());
}

TEST_F(GarbageScanMgrTest, StartArmsTheScanAndClearsAnOldMarker)
{
    CGarbageScanMgr monitor(nullptr);
    monitor.MarkShutDown();
    const std::string marker = ResourceFile(monitor, "shutdown.tmp");
    EXPECT_EQ("shutdown", ReadFile(marker));

    QSignalSpy scan(&monitor, &CGarbageScanMgr::sigAutoScan);
    EXPECT_FALSE(monitor.IsScanTimerActive());
    monitor.StartMonitor(false, false);
    EXPECT_EQ(0, scan.count());
    EXPECT_TRUE(monitor.IsScanTimerActive());
    EXPECT_FALSE(fs::exists(marker));

    monitor.StartMonitor(false, true);
    EXPECT_EQ(1, scan.count());
}

TEST_F(GarbageScanMgrTest, AnAnalysisStartOffersTheAssistantAgain)
{
    auto clock = std::make_shared<CFakeSources>();
    clock->today = QDate(2026, 12, 5);
    CGarbageScanMgr monitor(nullptr, clock);
    WriteResource(monitor, "images/5.png", "picture");
    WriteResource(monitor, "images/5.txt", "tip");
    monitor.OnUpdateFinish(true);
    ASSERT_TRUE(monitor.StarUpWnd()->isVisible());
    monitor.StarUpWnd()->HideWnd();
    monitor.OnUpdateFinish(true);
    EXPECT_FALSE(monitor.StarUpWnd()->isVisible()) << "one offer a run";

    monitor.StartMonitor(false, true);
    monitor.OnUpdateFinish(true);
    EXPECT_TRUE(monitor.StarUpWnd()->isVisible());
}

TEST_F(GarbageScanMgrTest, MarkerOfAnEndedSessionStartsANewRunOnceTheIntervalPassed)
{
    auto clock = std::make_shared<CFakeSources>();
    CGarbageScanMgr monitor(nullptr, clock);
    QSignalSpy update(&monitor, &CGarbageScanMgr::sigUpdateFinish);
    monitor.OnShutDownTimer();
    monitor.MarkShutDown();
    const std::string marker = ResourceFile(monitor, "shutdown.tmp");

    clock->tick += 300;
    monitor.OnShutDownTimer();
    EXPECT_TRUE(fs::exists(marker)) << "not yet longer than ShutDownInterval";
    clock->tick += 301;
    monitor.OnShutDownTimer();
    EXPECT_FALSE(fs::exists(marker));
    ASSERT_TRUE(update.wait(testing_support::kPatience.count())) << "a new run updates the resource pack";

    monitor.MarkShutDown();
    clock->tick = 5;  // the tick count wrapped
    monitor.OnShutDownTimer();
    EXPECT_FALSE(fs::exists(marker));
}

TEST_F(GarbageScanMgrTest, ProcessorLoadFromTheMachinesTimes)
{
    auto source = std::make_shared<CFakeSources>();
    CGarbageScanMgr monitor(nullptr, source);
    for (int percent : {0, 37, 100}) {
        source->Run(percent);
        monitor.SampleCpuUsage();
        EXPECT_EQ(percent, monitor.CpuLoad());
    }
    monitor.SampleCpuUsage();
    EXPECT_EQ(0, monitor.CpuLoad()) << "no time passed";
}

TEST_F(GarbageScanMgrTest, TheGateBlocksOnEachConditionAndPassesWhenAllHold)
{
    RUN_IN_FRESH_PROCESS({
        WriteSettings("CPULimit=50\n");
        auto source = std::make_shared<CFakeSources>();
        ASSERT_NE(nullptr, UseRecordingCleanupLibrary());
        QWidget mainWindow;
        SetHomeFrame(&mainWindow);
        CGarbageScanMgr monitor(nullptr, source);
        monitor.StartMonitor(false, false);
        EXPECT_TRUE(Calls().contains(QStringLiteral("SetCallback")));

        const auto blocked = [&](const char* why) {
            const int before = Scans();
            monitor.OnScanTimer();
            EXPECT_EQ(before, Scans()) << why;
            EXPECT_TRUE(monitor.IsScanTimerActive()) << why;
        };
        const auto passes = [&] {
            const int before = Scans();
            monitor.OnScanTimer();
            EXPECT_EQ(before + 1, Scans());
        };

        source->Run(50);
        monitor.SampleCpuUsage();
        blocked("the processor load equals the limit");
        source->Run(49);
        monitor.SampleCpuUsage();
        passes();

        monitor.SetFullScreen(true);
        blocked("a full-screen application runs");
        monitor.SetFullScreen(false);

        mainWindow.show();
        blocked("the main window is visible");
        // Where the desktop has no tray, the main window waits minimised: out of the way as in a tray.
        mainWindow.showMinimized();
        passes();
        mainWindow.hide();

        monitor.StarUpWnd()->ShowWnd();
        blocked("the start-up assistant is visible");
        monitor.StarUpWnd()->HideWnd();

        monitor.JunkWnd()->ShowWnd();
        blocked("the junk pop-up is visible");
        monitor.JunkWnd()->HideWnd();

        monitor.SetShowClean(false);
        blocked("junk reminders are off");
        monitor.SetShowClean(true);
        passes();

        monitor.JunkWnd()->ShowWnd();
        monitor.JunkWnd()->findChild<QPushButton*>(QStringLiteral("Quarnel_CloseBtn"))->click();
        blocked("the user closed a junk pop-up in this run");
        monitor.MarkShutDown();
        source->tick += 60000;
        monitor.OnShutDownTimer();
        passes();

        WriteResource(monitor, "TrayPop.ini", "[update]\nenablescan=0\n");
        CGarbageScanMgr switchedOff(nullptr, source);
        source->Run(0);
        switchedOff.SampleCpuUsage();
        const int before = Scans();
        switchedOff.OnScanTimer();
        EXPECT_EQ(before, Scans()) << "background scans are switched off";
    });
}

TEST_F(GarbageScanMgrTest, AnAnalysisThatNeverReportsLeavesTheNextTurnArmed)
{
    // The recording library reports nothing, as a refused or stopped analysis reports nothing.
    WriteSettings("ScanInterval=1\n");
    ASSERT_NE(nullptr, UseRecordingCleanupLibrary());
    CGarbageScanMgr monitor(nullptr, std::make_shared<CFakeSources>());
    const int before = Scans();
    monitor.StartMonitor(false, false);
    ASSERT_TRUE(QTest::qWaitFor([before] { return Scans() == before + 1; }, 60000));
    EXPECT_TRUE(monitor.IsScanTimerActive());
    EXPECT_TRUE(QTest::qWaitFor([before] { return Scans() == before + 2; }, 60000)) << "no second turn without a result";
}

TEST_F(GarbageScanMgrTest, TheJunkPopupNeedsTheLevelsSizeAboveFourGibibytesToo)
{
    RUN_IN_FRESH_PROCESS({
        WriteSettings("CleanLv=5\nlv5=8192\n");
        ASSERT_NE(nullptr, UseRecordingCleanupLibrary());
        CGarbageScanMgr monitor(nullptr, std::make_shared<CFakeSources>());
        const quint64 level = 8192ull * 1048576;
        CGarbageScanMgr::ScanResultCallback(static_cast<unsigned>(level - 1), static_cast<unsigned>((level - 1) >> 32), &monitor);
        EXPECT_FALSE(monitor.JunkWnd()->isVisible()) << "one byte below the level";
        EXPECT_EQ(QStringLiteral("8.00 GB"), monitor.JunkWnd()->SizeText());
        EXPECT_TRUE(monitor.IsScanTimerActive());

        CGarbageScanMgr::ScanResultCallback(static_cast<unsigned>(level), static_cast<unsigned>(level >> 32), &monitor);
        EXPECT_TRUE(monitor.JunkWnd()->isVisible());

        monitor.HidePopWnds();
        monitor.SetFullScreen(true);
        monitor.OnScanResult(static_cast<qint64>(level));
        EXPECT_FALSE(monitor.JunkWnd()->isVisible()) << "held back while a full-screen application runs";
    });
}

TEST_F(GarbageScanMgrTest, TheJunkPopupIsHeldBackWhileAWindowOfOursShowsOrRemindersAreOff)
{
    QWidget mainWindow;
    SetHomeFrame(&mainWindow);
    CGarbageScanMgr monitor(nullptr, std::make_shared<CFakeSources>());
    const qint64 enough = monitor.Threshold();
    const std::pair<const char*, std::function<void(bool)>> holds[] = {
        {"the main window is visible", [&](bool on) { mainWindow.setVisible(on); }},
        {"the start-up assistant is visible",
         [&](bool on) { on ? monitor.StarUpWnd()->ShowWnd() : monitor.StarUpWnd()->HideWnd(); }},
        {"junk reminders are off", [&](bool on) { monitor.SetShowClean(!on); }},
    };
    for (const auto& [why, hold] : holds) {
        hold(true);
        monitor.OnScanResult(enough);
        EXPECT_FALSE(monitor.JunkWnd()->isVisible()) << why;
        EXPECT_TRUE(monitor.IsScanTimerActive()) << why;
        hold(false);
        monitor.OnScanResult(enough);
        EXPECT_TRUE(monitor.JunkWnd()->isVisible()) << why << " no more";
        monitor.HidePopWnds();
    }
}

TEST_F(GarbageScanMgrTest, HidingTheAssistantForTheMainWindowKeepsTheBackgroundScanGoing)
{
    CGarbageScanMgr monitor(nullptr);
    monitor.StarUpWnd()->ShowWnd();
    monitor.JunkWnd()->ShowWnd();
    EXPECT_FALSE(monitor.IsScanTimerActive());
    monitor.HidePopWnds();
    EXPECT_FALSE(monitor.StarUpWnd()->isVisible());
    EXPECT_FALSE(monitor.JunkWnd()->isVisible());
    EXPECT_TRUE(monitor.IsScanTimerActive());
}

TEST_F(GarbageScanMgrTest, PopupsGoWithTheMonitorAndTheCallbackIsUnregistered)
{
    RUN_IN_FRESH_PROCESS({
        ASSERT_NE(nullptr, UseRecordingCleanupLibrary());
        auto monitor = std::make_unique<CGarbageScanMgr>(nullptr);
        monitor->StartMonitor(false, false);
        QPointer<QWidget> junk = monitor->JunkWnd();
        QPointer<QWidget> assistant = monitor->StarUpWnd();
        monitor.reset();
        EXPECT_TRUE(junk.isNull());
        EXPECT_TRUE(assistant.isNull());
        EXPECT_EQ(QStringLiteral("SetCallback(null)"), Calls().last());
    });
}

TEST(GarbageScanMgr, WithoutTheLocalApplicationDataVariableTheShellsFolderIsUsed)
{
    testing_support::TempMachine machine;
    machine.UseProgramFolder();
    SetEnvironmentVariableW(L"LOCALAPPDATA", nullptr);
    CGarbageScanMgr monitor(nullptr);
    wchar_t local[MAX_PATH] = {};
    ASSERT_EQ(S_OK, SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, local));
    EXPECT_EQ(QString::fromWCharArray(local) + QStringLiteral("\\Orvane\\Quarnel\\"), monitor.ResourceFolder());
    monitor.MarkShutDown();
    EXPECT_EQ("shutdown", ReadFile(platform::HostPath(monitor.ResourceFolder().toStdWString() + L"shutdown.tmp")));
}

} // namespace
