// The launcher: its command line with the nested quoting its starter writes, the child's exit code
// passed on, and cancellation through the starter's event.
#include "LauncherCommand.h"

#include "platform/Machine.h"
#include "platform/SystemPrograms.h"
#include "platform/Text.h"
#include "platform/kernel/KernelTestSupport.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

namespace {

TEST(LauncherCommand, TheCommandLineKeepsItsOwnQuotesAndTrailingBackslash)
{
    const auto analysis =
        ParseLauncherCommand(L"\"C:\\Program Files\\Orvane\\spawn.exe\" \"\"C:\\Windows\\system32\\defrag.exe\" "
                             L"\\\\?\\Volume{1}\\ -a\" 123 en_US");
    ASSERT_TRUE(analysis);
    EXPECT_EQ(analysis->commandLine, L"\"C:\\Windows\\system32\\defrag.exe\" \\\\?\\Volume{1}\\ -a");
    EXPECT_EQ(analysis->cancelHandle, 123u);
    EXPECT_EQ(analysis->locale, L"en_US");

    const auto defrag = ParseLauncherCommand(
        L"spawn.exe  \"\"C:\\Windows\\system32\\defrag.exe\" \\\\?\\Volume{1}\\\"  18446744073709551615 en_US ");
    ASSERT_TRUE(defrag);
    EXPECT_EQ(defrag->commandLine, L"\"C:\\Windows\\system32\\defrag.exe\" \\\\?\\Volume{1}\\");
    EXPECT_EQ(defrag->cancelHandle, 18446744073709551615u);
}

TEST(LauncherCommand, AnythingElseIsRefused)
{
    for (const wchar_t* line : {L"spawn.exe", L"spawn.exe \"defrag.exe C:\" 12",
             L"spawn.exe \"defrag.exe C:\" x12 en_US", L"spawn.exe defrag.exe 12 en_US", L"spawn.exe \"\" 12 en_US",
             L"spawn.exe \"  \" 12 en_US", L"spawn.exe \"defrag.exe\" 99999999999999999999 en_US"})
        EXPECT_FALSE(ParseLauncherCommand(line)) << line;
}

class SpawnTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        machine.WriteMachineIni("[Machine]\nWindowsVersion=6.0.6002\n[Drive C]\nLabel=System\nFragmentation=9\n");
        ASSERT_TRUE(platform::InstallSystemPrograms(testing_support::BuildProgramFolder()));
    }

    // The launcher, installed into this test's own machine.
    std::wstring Command(const std::wstring& inner, unsigned long long handle) const
    {
        const std::wstring spawn = testing_support::InstallFromBuild(testing_support::BuildProgramFolder() + "/spawn");
        return L"\"" + spawn + L".exe\" \"" + inner + L"\" " + std::to_wstring(handle) + L" en_US";
    }

    testing_support::TempMachine machine;
};

TEST_F(SpawnTest, RunsTheCommandLineAndPassesItsOutputAndExitCodeOn)
{
    const auto done = kernel_test::RunToEnd(Command(L"\"C:\\Windows\\system32\\defrag.exe\" C: -a", 1));
    ASSERT_TRUE(done.started);
    EXPECT_EQ(done.exitCode, 0u);
    EXPECT_NE(done.output.find("Percent file fragmentation = 9 %"), std::string::npos) << done.output;

    const auto missing = kernel_test::RunToEnd(Command(L"\"C:\\Windows\\system32\\defrag.exe\" Q: -a", 1));
    EXPECT_EQ(missing.exitCode, 2u);
    EXPECT_EQ(kernel_test::RunToEnd(Command(L"\"C:\\nowhere\\absent.exe\"", 1)).exitCode, static_cast<DWORD>(-4));
    EXPECT_EQ(kernel_test::RunToEnd(Command(L"", 1)).exitCode, static_cast<DWORD>(-3));
}

TEST_F(SpawnTest, TheCancelEventStopsTheChildAndEndsWithMinusTwo)
{
    platform::ChangeMachineIni([](platform::IniFile& ini) { ini.Set(L"Drive C", L"DefragBlocked", L"1"); });
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    const HANDLE cancel = CreateEventW(&inheritable, TRUE, FALSE, nullptr);
    ASSERT_NE(cancel, nullptr);
    kernel_test::PipedChild child;
    kernel_test::Start(child, Command(L"\"C:\\Windows\\system32\\defrag.exe\" C:", reinterpret_cast<uintptr_t>(cancel)));
    ASSERT_TRUE(child.started);
    EXPECT_EQ(child.ReadLine(), "Windows Disk Defragmenter\r");
    EXPECT_EQ(child.Finish(300), STILL_ACTIVE);
    SetEvent(cancel);
    EXPECT_NE(child.ReadToEnd().find("Defragmentation was cancelled by the user."), std::string::npos);
    EXPECT_EQ(child.Finish(), static_cast<DWORD>(-2));
    CloseHandle(cancel);
}

} // namespace
