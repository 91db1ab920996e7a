#include "GarbageScanMgr.h"

#include "platform/Machine.h"
#include "platform/Windows.h"
#include "support/TempMachine.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using testing_support::ReadFile;

namespace {

class GarbageScanMgrTest : public testing::Test {
protected:
    void SetUp() override { folder_ = machine_.UseProgramFolder(); }

    std::string Settings() const { return ReadFile(folder_ + "/GarbageClean.ini"); }
    std::string ResourceFile(const CGarbageScanMgr& monitor, const char* name) const
    {
        return platform::HostPath((monitor.ResourceFolder() + QLatin1String(name)).toStdWString());
    }

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
    EXPECT_EQ((QStringList {QStringLiteral("100 MB"), QStringLiteral("300 MB"), QStringLiteral("500 MB"),
                            QStringLiteral("800 MB"), QStringLiteral("1.00 GB")}),
              monitor.GetLvTextList());
    EXPECT_NE(std::string::npos, Settings().find("[Clean]"));
    EXPECT_NE(std::string::npos, Settings().find("CleanLv=1"));
}

TEST_F(GarbageScanMgrTest, SettingsAreReadAndChoicesWritten)
{
    machine_.WriteFile("program/GarbageClean.ini",
                       "[Clean]\nCleanLv=3\nlv3=2048\nShowAssit=0\nShowClean=0\nScanInterval=60\n");
    CGarbageScanMgr monitor(nullptr);
    EXPECT_EQ(3, monitor.GetCleanLv());
    EXPECT_FALSE(monitor.GetShowAssit());
    EXPECT_FALSE(monitor.GetShowClean());
    EXPECT_EQ(QStringLiteral("2.00 GB"), monitor.GetLvTextList().at(2));

    monitor.SetShowAssit(true);
    monitor.SetShowClean(true);
    monitor.SetCleanLv(5);
    EXPECT_TRUE(monitor.GetShowAssit());
    EXPECT_EQ(5, monitor.GetCleanLv());
    const std::string ini = Settings();
    EXPECT_NE(std::string::npos, ini.find("ShowAssit=1"));
    EXPECT_NE(std::string::npos, ini.find("ShowClean=1"));
    EXPECT_NE(std::string::npos, ini.find("CleanLv=5"));
    EXPECT_NE(std::string::npos, ini.find("ScanInterval=60"));
}

TEST_F(GarbageScanMgrTest, LevelsOutsideTheTableTakeTheNearest)
{
    machine_.WriteFile("program/GarbageClean.ini", "[Clean]\nCleanLv=9\n");
    CGarbageScanMgr monitor(nullptr);
    EXPECT_EQ(5, monitor.GetCleanLv());
    monitor.SetCleanLv(0);
    EXPECT_EQ(1, monitor.GetCleanLv());
    monitor.SetCleanLv(-3);
    EXPECT_EQ(1, monitor.GetCleanLv());
    EXPECT_NE(std::string::npos, Settings().find("CleanLv=1"));
}

TEST_F(GarbageScanMgrTest, ServerSwitchesComeFromTrayPop)
{
    CGarbageScanMgr probe(nullptr);
    const std::string trayPop = ResourceFile(probe, "TrayPop.ini");
    fs::create_directories(fs::path(trayPop).parent_path());
    std::ofstream(trayPop) << "[update]\nenablescan=0\nenableassit=1\n";
    CGarbageScanMgr monitor(nullptr);
    EXPECT_FALSE(monitor.GetEnableScan());
    EXPECT_TRUE(monitor.GetEnableAssit());
}

TEST_F(GarbageScanMgrTest, StartArmsTheScanAndClearsAnOldMarker)
{
    CGarbageScanMgr monitor(nullptr);
    monitor.MarkShutDown();
    const std::string marker = ResourceFile(monitor, "shutdown.tmp");
    EXPECT_EQ("shutdown", ReadFile(marker));

    QSignalSpy scan(&monitor, &CGarbageScanMgr::sigAutoScan);
    EXPECT_FALSE(monitor.IsScanTimerActive());
    monitor.StartMonitor(true, false);
    EXPECT_EQ(0, scan.count());
    EXPECT_TRUE(monitor.IsScanTimerActive());
    EXPECT_FALSE(fs::exists(marker));

    monitor.StartMonitor(false, true);
    EXPECT_EQ(1, scan.count());
}

TEST_F(GarbageScanMgrTest, MarkerOfAnEndedSessionIsTakenUpOnce)
{
    CGarbageScanMgr monitor(nullptr);
    monitor.MarkShutDown();
    const std::string marker = ResourceFile(monitor, "shutdown.tmp");
    monitor.OnShutDownTimer();
    EXPECT_FALSE(fs::exists(marker));
    monitor.OnShutDownTimer();
    EXPECT_FALSE(fs::exists(marker));
}

TEST_F(GarbageScanMgrTest, ScanWaitsForTheCleanupLibrary)
{
    CGarbageScanMgr monitor(nullptr);
    monitor.OnScanTimer();
    EXPECT_TRUE(monitor.IsScanTimerActive());
    CGarbageScanMgr::ScanResultCallback(1, 0, nullptr);
    CGarbageScanMgr::ScanResultCallback(1, 0, &monitor);
}

TEST(GarbageScanMgr, WithoutALocalApplicationFolderNoMarkerIsWritten)
{
    testing_support::TempMachine machine;
    machine.UseProgramFolder();
    SetEnvironmentVariableW(L"LOCALAPPDATA", nullptr);
    CGarbageScanMgr monitor(nullptr);
    EXPECT_TRUE(monitor.ResourceFolder().isEmpty());
    monitor.MarkShutDown();
    monitor.StartMonitor(false, false);
    EXPECT_TRUE(monitor.IsScanTimerActive());
}

} // namespace
