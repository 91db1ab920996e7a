// The main program run as a child process on the test's machine, from a program folder of the
// test's own; its test build closes each dialog it opens, as a user pressing the button would.

#include "ProgramLog.h"

#include "platform/Machine.h"
#include "platform/Text.h"
#include "platform/Windows.h"
#include "support/TempMachine.h"
#include "support/UsageEvents.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

constexpr int kStartMs = 20000;

class MainRoutineTest : public testing::Test {
protected:
    void SetUp() override
    {
        folder_ = machine_.UseProgramFolder();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        quarnel_.setProcessEnvironment(environment);
        quarnel_.setProgram(QStringLiteral(QUARNEL_CLOSING_DIALOGS_PATH));
    }

    void TearDown() override
    {
        if (quarnel_.state() != QProcess::NotRunning) {
            quarnel_.kill();
            quarnel_.waitForFinished(kStartMs);
        }
    }

    void UseAdministrator(bool administrator)
    {
        machine_.WriteMachineIni(std::string("[Machine]\nAdministrator=") + (administrator ? "1" : "0") + "\n");
    }

    // Starts the program and waits for its end; its exit code as the host reports it.
    int RunToEnd(const QStringList& arguments = {})
    {
        quarnel_.setArguments(arguments);
        quarnel_.start();
        EXPECT_TRUE(quarnel_.waitForFinished(kStartMs)) << "the program did not end";
        return quarnel_.exitCode();
    }

    // Starts the program and waits until it holds the instance mutex.
    bool StartedAndRunning()
    {
        quarnel_.start();
        if (!quarnel_.waitForStarted(kStartMs))
            return false;
        for (int waited = 0; waited < kStartMs; waited += 100) {
            if (HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, L"Global\\ORVANE Draviels 1.0")) {
                CloseHandle(mutex);
                return true;
            }
            Sleep(100);
        }
        return false;
    }

    testing_support::TempMachine machine_;
    std::string folder_;
    QProcess quarnel_;
};

TEST_F(MainRoutineTest, SecondStartLeavesTheFirstHiddenAndEnds)
{
    UseAdministrator(true);
    // What a first copy holds: the instance mutex, and the show event its show-request thread waits on.
    const HANDLE first = CreateMutexW(nullptr, TRUE, L"Global\\ORVANE Draviels 1.0");
    const HANDLE show = CreateEventW(nullptr, TRUE, FALSE, L"Global\\ORVANE Draviels Show Admin");
    ASSERT_NE(nullptr, first);
    ASSERT_NE(nullptr, show);

    EXPECT_EQ(255, RunToEnd()); // -1
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(show, 0));
    EXPECT_NE(std::string::npos, ReadProgramLog().find("quarnel exist quit"));
    CloseHandle(show);
    CloseHandle(first);
}

TEST_F(MainRoutineTest, StartupLockKeepsTheProgramIdle)
{
    UseAdministrator(true);
    machine_.WriteFile("program/kyphtupdate.ini", "[block]\nmain=1\n");
    quarnel_.start();
    ASSERT_TRUE(quarnel_.waitForStarted(kStartMs));
    EXPECT_FALSE(quarnel_.waitForFinished(1500));
    // It never took the instance mutex.
    EXPECT_EQ(nullptr, OpenMutexW(SYNCHRONIZE, FALSE, L"Global\\ORVANE Draviels 1.0"));
    EXPECT_EQ(std::string::npos, ReadProgramLog().find("quit"));
}

TEST_F(MainRoutineTest, WithoutRightsTheUserIsToldAndTheProgramEnds)
{
    UseAdministrator(false);
    machine_.WriteFile("program/a.dll", "old");
    machine_.WriteFile("program/a.dll.TMP", "new");
    EXPECT_EQ(254, RunToEnd()); // -2
    EXPECT_NE(std::string::npos, ReadProgramLog().find("not admin and not autostart quit"));
    // The staged update was finished before the rights were checked.
    EXPECT_EQ("new", testing_support::ReadFile(folder_ + "/a.dll"));
    EXPECT_FALSE(fs::exists(folder_ + "/a.dll.TMP"));
}

TEST_F(MainRoutineTest, StartedAtLogInWithoutRightsItStaysInTheTray)
{
    UseAdministrator(false);
    quarnel_.setArguments({QStringLiteral("autostart")});
    // The running copy takes the instance mutex and stays.
    ASSERT_TRUE(StartedAndRunning());
    EXPECT_FALSE(quarnel_.waitForFinished(2000));
    EXPECT_EQ(std::string::npos, ReadProgramLog().find("not admin"));
}

// A start is reported once: at once as started at log-in, and when the window first comes on screen
// as started by the user, however often it is shown again.
TEST_F(MainRoutineTest, EachStartIsReportedOnceWithHowItWasStarted)
{
    UseAdministrator(true);
    testing_support::InstallFromBuild(testing_support::BuildProgramFolder() + "/Preludex");
    const HANDLE show = CreateEventW(nullptr, TRUE, FALSE, L"Global\\ORVANE Draviels Show Admin");
    ASSERT_NE(nullptr, show);
    // Each request is taken (the event reset) before the next is made, so the last one taken means
    // the one before it reached the window.
    const auto showAgain = [show] {
        SetEvent(show);
        for (int waited = 0; waited < kStartMs && WaitForSingleObject(show, 0) == WAIT_OBJECT_0; waited += 20)
            Sleep(20);
        EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(show, 0)) << "the request was not taken";
    };
    const std::pair<QStringList, QStringList> starts[] = {
        {{}, {"Launch_Click_Icon"}},
        {{QStringLiteral("autostart")}, {"Launch_Click_Icon", "Launch_Trigger"}},
    };
    size_t recorded = 0;
    for (const auto& [arguments, sources] : starts) {
        quarnel_.setArguments(arguments);
        ASSERT_TRUE(StartedAndRunning());
        for (int shows = 0; shows < 3; ++shows)
            showAgain();
        quarnel_.terminate();
        ASSERT_TRUE(quarnel_.waitForFinished(kStartMs));

        const std::vector<QJsonObject> events = testing_support::UsageEvents(recorded + sources.size());
        QStringList reported;
        for (size_t i = recorded; i < events.size(); ++i) {
            EXPECT_EQ("Home", events[i].value("Window").toString());
            EXPECT_EQ("Info_Start", events[i].value("Activity").toString());
            reported << events[i].value("Source").toString();
        }
        reported.sort();
        EXPECT_EQ(sources, reported) << arguments.join(' ').toStdString();
        recorded = events.size();
    }
    CloseHandle(show);
}

TEST_F(MainRoutineTest, SessionEndIsMarkedAndEndsTheProgram)
{
    UseAdministrator(true);
    ASSERT_TRUE(StartedAndRunning());

    // The session sends its termination signal; the program ends as after Windows' end message.
    quarnel_.terminate();
    ASSERT_TRUE(quarnel_.waitForFinished(kStartMs));
    EXPECT_EQ(QProcess::NormalExit, quarnel_.exitStatus());
    EXPECT_EQ(0, quarnel_.exitCode());
    EXPECT_EQ("shutdown", testing_support::ReadFile(ShutdownMarker()));
    EXPECT_NE(std::string::npos, ReadProgramLog().find(std::string(62, '*')));
}

} // namespace
