// The program's start: its arguments, the elevated restart through the layer, and a second copy
// meeting the running one (separate processes of the built program).

#include "StandaloneFixture.h"

#include "standalone/CopyChannel.h"
#include "standalone/ElevatedRestart.h"
#include "standalone/Host.h"
#include "services/UIPublic.h"

#include "platform/Machine.h"
#include "support/WaitUntil.h"

#include <QProcess>
#include <gtest/gtest.h>

#include <filesystem>

namespace standalone_test {
namespace {

TEST(HostArgsTest, TheBackgroundModeTakesWholeMinutesAndMegabytesThatAreNotNegative)
{
    int minutes = -1;
    double threshold = -1;
    EXPECT_TRUE(HostParseCheckArgs({"10", "300.5"}, minutes, threshold));
    EXPECT_EQ(minutes, 10);
    EXPECT_DOUBLE_EQ(threshold, 300.5);
    EXPECT_TRUE(HostParseCheckArgs({"0", "0"}, minutes, threshold));
    EXPECT_EQ(minutes, 0);
    for (const QStringList& bad : {QStringList{"-5", "300"}, QStringList{"10", "-1"}, QStringList{"ten", "300"},
                                   QStringList{"10", "lots"}, QStringList{"1.5", "300"}, QStringList{"10", "inf"},
                                   QStringList{"10"}})
        EXPECT_FALSE(HostParseCheckArgs(bad, minutes, threshold)) << bad.join(' ').toStdString();
}

class RestartTest : public StandaloneTest {};

TEST_F(RestartTest, TheRestartStartsTheConfiguredProgramOnThePage)
{
    machine.WriteMachineIni("[Machine]\nAdministrator=1\n");
    const std::string program = machine.UseProgramFolder();
    const std::string helper = testing_support::BuildProgramFolder() + "/../tests/bin/kernel_test_helper";
    std::filesystem::copy_file(helper, program + "/Cleaner");
    machine.WriteFile("program/UIConfigAdd.ini", "[Cleanup]\nName=Cleaner.exe\n");
    const std::string record = machine.Root() + "/record.txt";
    setenv("KERNEL_HELPER_RECORD", record.c_str(), 1);
    EXPECT_TRUE(RestartElevated(5));
    EXPECT_TRUE(WaitUntil([&] { return testing_support::ReadFile(record) == "restart\n5\n"; }))
        << testing_support::ReadFile(record);
    unsetenv("KERNEL_HELPER_RECORD");
    std::filesystem::remove(program + "/Cleaner");
    EXPECT_FALSE(RestartElevated(1)) << "nothing to start";
}

class ProgramTest : public StandaloneTest {
protected:
    void SetUp() override { MakeMachine(50); }
    void TearDown() override
    {
        if (first.state() != QProcess::NotRunning) {
            first.kill();
            first.waitForFinished();
        }
        StandaloneTest::TearDown();
    }
    static QString Program() { return QString::fromStdString(testing_support::BuildProgramFolder() + "/Sweepdeck"); }
    // Runs a copy to its end; its exit code, -1 when it did not end in time.
    static int Run(const QStringList& args)
    {
        QProcess copy;
        copy.start(Program(), args);
        if (!copy.waitForFinished(20000)) {
            copy.kill();
            copy.waitForFinished();
            return -1;
        }
        return copy.exitStatus() == QProcess::NormalExit ? copy.exitCode() : -1;
    }
    void StartFirst()
    {
        first.setProcessChannelMode(QProcess::ForwardedChannels);
        first.start(Program(), {"restart", "5"});
        ASSERT_TRUE(first.waitForStarted());
        ASSERT_TRUE(WaitUntil([] { return CCopyChannelClient().Connect(); }, testing_support::kPatience.count()));
    }

    QProcess first;
};

TEST_F(ProgramTest, TheBackgroundModeEndsWithOneOnBadArgumentsOrWithTheTipsOff)
{
    EXPECT_EQ(Run({"-5", "300"}), 1);
    EXPECT_EQ(Run({"10", "lots"}), 1);
    EXPECT_EQ(Run({"whatever"}), 0);
    EXPECT_EQ(Run({"Uninstall"}), 0) << "no copy runs";
    // With the tips turned off the background mode has nothing to do.
    ASSERT_TRUE(CUIPublic::SetUserSetting(QStringLiteral("notshowTip"), true));
    EXPECT_EQ(Run({"0", "300"}), 1);
}

TEST_F(ProgramTest, ASecondCopyHandsItsRequestToTheRunningOneAndEnds)
{
    StartFirst();
    EXPECT_EQ(Run({"launch"}), 0);
    EXPECT_EQ(first.state(), QProcess::Running) << "launch only shows the running copy";
    EXPECT_EQ(Run({"Uninstall"}), 0);
    EXPECT_TRUE(first.waitForFinished(testing_support::kPatience.count()));
    EXPECT_EQ(first.exitCode(), 0);
}

TEST_F(ProgramTest, TheQuitEventEndsACopyWithoutAChannel)
{
    StartFirst();
    // The quit event alone: the copy is asked as an uninstaller does when no window answers.
    EXPECT_TRUE(HostSignalQuit());
    EXPECT_TRUE(first.waitForFinished(testing_support::kPatience.count()));
    EXPECT_EQ(first.exitCode(), 0);
}

} // namespace
} // namespace standalone_test
