// The main program with the real clean-up library, run as a child process on the test's machine
// from a program folder of the test's own that holds the build's deliverables.

#include "ProgramLog.h"

#include "platform/Machine.h"
#include "platform/Windows.h"
#include "support/TempMachine.h"
#include "support/WaitUntil.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QThread>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

constexpr int kWaitMs = 30000;

class CleanupProgramTest : public testing::Test {
protected:
    void SetUp() override
    {
        machine_.WriteMachineIni("[Machine]\nAdministrator=1\nUserName=Owner\n");
        folder_ = machine_.UseProgramFolder();
        testing_support::InstallCleanupLibrary(folder_);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        quarnel_.setProcessEnvironment(environment);
        quarnel_.setProgram(QString::fromStdString(testing_support::BuildProgramFolder() + "/Quarnel"));
    }

    void TearDown() override
    {
        if (quarnel_.state() != QProcess::NotRunning) {
            quarnel_.kill();
            quarnel_.waitForFinished(kWaitMs);
        }
    }

    void Plant(const std::string& relative, uintmax_t size) { machine_.PlantJunk(relative, size); }

    // Waits for the text in the program's log while the program runs.
    bool LogShows(const std::string& text)
    {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < kWaitMs && quarnel_.state() != QProcess::NotRunning) {
            if (ReadProgramLog().find(text) != std::string::npos)
                return true;
            QThread::msleep(50);
        }
        return ReadProgramLog().find(text) != std::string::npos;
    }

    testing_support::TempMachine machine_;
    std::string folder_;
    QProcess quarnel_;
};

TEST_F(CleanupProgramTest, BackgroundScanReachesTheJunkMonitorThroughTheExportCallback)
{
    // 4 GiB and 2 bytes of junk (sparse): the size crosses the callback as its two halves.
    Plant("Windows/Prefetch/BIG.pf", 0x100000000ull);
    Plant("Windows/Prefetch/SMALL.pf", 2);
    machine_.WriteFile("program/GarbageClean.ini", "[Clean]\nScanInterval=1\nCPULimit=1000\n");
    quarnel_.setArguments({QStringLiteral("autostart")});
    quarnel_.start();
    ASSERT_TRUE(quarnel_.waitForStarted(kWaitMs));
    EXPECT_TRUE(LogShows("background junk scan found 4294967298 bytes")) << ReadProgramLog();
    EXPECT_TRUE(fs::exists(machine_.Root() + "/drive_c/Windows/Prefetch/BIG.pf")) << "a background scan cleans nothing";
}

// The session ends while an analysing start's junk page, opened before the program's main loop
// runs, waits for the user: the end is kept and ends the main loop once it starts, and the
// session's end is marked once.
TEST_F(CleanupProgramTest, SessionEndDuringAnAnalysingStartEndsTheProgram)
{
    quarnel_.setArguments({QStringLiteral("autoscan")});
    quarnel_.start();
    ASSERT_TRUE(quarnel_.waitForStarted(kWaitMs));
    // The instance mutex is taken after the program hears the session's end, before the page opens.
    ASSERT_TRUE(testing_support::WaitUntil([] {
        HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, L"Global\\ORVANE Draviels 1.0");
        return mutex && CloseHandle(mutex);
    }));

    quarnel_.terminate();
    ASSERT_TRUE(quarnel_.waitForFinished(static_cast<int>(testing_support::kPatience.count())))
        << "the session's end was lost";
    EXPECT_EQ(QProcess::NormalExit, quarnel_.exitStatus());
    EXPECT_EQ(0, quarnel_.exitCode());
    EXPECT_EQ("shutdown", testing_support::ReadFile(ShutdownMarker()));
    const std::string log = ReadProgramLog();
    const std::string end(62, '*');
    EXPECT_NE(std::string::npos, log.find(end)) << log;
    EXPECT_EQ(log.find(end), log.rfind(end));
}

} // namespace
