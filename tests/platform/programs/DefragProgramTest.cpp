// The stand-in defragmenter in the machine's system folders: what it prints on each Windows
// version for the machine's volumes, and the controls that make it slow, blocked or failing.
#include "platform/IniFile.h"
#include "platform/Machine.h"
#include "platform/SystemPrograms.h"
#include "platform/Text.h"
#include "platform/kernel/KernelTestSupport.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

class DefragProgramTest : public ::testing::Test {
protected:
    void Prepare(const std::string& version, const std::string& driveC = "", const std::string& driveE = "",
                 const std::string& defaults = "")
    {
        machine.WriteMachineIni("[Machine]\nWindowsVersion=" + version +
            "\n[Drive C]\nLabel=System\nFragmentation=12\n" + driveC +
            "[Drive E]\nType=2\nLabel=Stick\nFileSystem=FAT32\nFragmentation=3\n" + driveE +
            "[Drive D]\nType=5\n[Defrag]\n" + defaults);
        ASSERT_TRUE(platform::InstallSystemPrograms(testing_support::BuildProgramFolder()));
    }

    static kernel_test::Outcome Defrag(const std::wstring& arguments)
    {
        return kernel_test::RunToEnd(L"C:\\Windows\\System32\\defrag.exe " + arguments);
    }

    static std::wstring VolumeName(wchar_t letter)
    {
        const wchar_t root[] = {letter, L':', L'\\', L'\0'};
        wchar_t name[MAX_PATH] = {};
        GetVolumeNameForVolumeMountPointW(root, name, MAX_PATH);
        return name;
    }

    testing_support::TempMachine machine;
};

TEST_F(DefragProgramTest, InstallsEveryProgramIntoBothSystemFoldersOnce)
{
    Prepare("6.1.7601");
    const std::string system = platform::Machine().Drive(L'C')->folder + "/Windows/";
    for (const char* folder : {"System32", "SysWOW64"})
        EXPECT_TRUE(fs::is_regular_file(system + folder + "/Defrag.exe")) << folder;
    const auto installed = fs::last_write_time(system + "System32/Defrag.exe");
    ASSERT_TRUE(platform::InstallSystemPrograms(testing_support::BuildProgramFolder()));
    EXPECT_EQ(fs::last_write_time(system + "System32/Defrag.exe"), installed);
    EXPECT_TRUE(platform::InstallSystemPrograms(machine.Root() + "/no-programs-here"));
}

TEST_F(DefragProgramTest, BeforeVistaTheReportNamesTheFragmentedShare)
{
    Prepare("5.1.2600");
    const auto analysis = Defrag(L"C: -a");
    EXPECT_EQ(analysis.exitCode, 0u);
    EXPECT_NE(analysis.output.find("Analysis Report\r\n"), std::string::npos) << analysis.output;
    EXPECT_NE(analysis.output.find(", 12% Fragmented (12% file fragmentation)\r\n"), std::string::npos);
}

TEST_F(DefragProgramTest, VistaReportsAPercentageAfterAnEqualsSign)
{
    Prepare("6.0.6002");
    const auto analysis = Defrag(VolumeName(L'E') + L" -a");
    EXPECT_EQ(analysis.exitCode, 0u);
    EXPECT_NE(analysis.output.find("Analysis report for volume E: Stick\r\n"), std::string::npos) << analysis.output;
    EXPECT_NE(analysis.output.find("Percent file fragmentation = 3 %\r\n"), std::string::npos);
}

TEST_F(DefragProgramTest, ADefragmentationLeavesTheVolumeUnfragmented)
{
    Prepare("6.1.7601");
    const auto run = Defrag(L"C:\\");
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_NE(run.output.find("Total fragmented space      = 12%"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("Post Defragmentation Report:"), std::string::npos);
    EXPECT_EQ(platform::IniFile(platform::MachineIniPath()).GetInt(L"Drive C", L"Fragmentation", -1), 0);
    EXPECT_NE(Defrag(L"C: -a").output.find("Total fragmented space      = 0%"), std::string::npos);
}

TEST_F(DefragProgramTest, UnknownVolumesAndBadCommandLinesFail)
{
    Prepare("6.1.7601");
    const auto cdrom = Defrag(L"D: -a");
    EXPECT_EQ(cdrom.exitCode, 2u);
    EXPECT_NE(cdrom.output.find("(0x89000008)"), std::string::npos);
    EXPECT_EQ(Defrag(L"\\\\?\\Volume{00000000-0000-0000-0000-000000000000}\\ -a").exitCode, 2u);
    EXPECT_EQ(Defrag(L"").exitCode, 1u);
    EXPECT_EQ(Defrag(L"C: E: -a").exitCode, 1u);
}

TEST_F(DefragProgramTest, FailureControlsGiveTheirSigns)
{
    Prepare("6.1.7601", "", "DefragFail=exit\n", "DefragFail=code\n");
    const auto code = Defrag(L"C: -a");
    EXPECT_EQ(code.exitCode, 0u);
    EXPECT_NE(code.output.find("(0x8900002A)"), std::string::npos) << code.output;
    const auto failed = Defrag(L"E: -a");
    EXPECT_EQ(failed.exitCode, 3u);
    EXPECT_EQ(failed.output.find("fragmented space"), std::string::npos);

    platform::IniFile ini(platform::MachineIniPath());
    ini.Set(L"Defrag", L"DefragFail", L"silent");
    ASSERT_TRUE(ini.Save());
    EXPECT_EQ(Defrag(L"C: -a").output, "");
}

TEST_F(DefragProgramTest, ABlockedRunWaitsForReleaseAndStopsWhenInterrupted)
{
    Prepare("6.0.6002", "DefragBlocked=1\n", "DefragBlocked=1\n");
    kernel_test::PipedChild released, interrupted;
    kernel_test::Start(released, L"C:\\Windows\\System32\\defrag.exe C: -a");
    kernel_test::Start(interrupted, L"C:\\Windows\\System32\\defrag.exe E:");
    ASSERT_TRUE(released.started && interrupted.started);
    EXPECT_EQ(released.ReadLine(), "Windows Disk Defragmenter\r");
    EXPECT_EQ(released.Finish(300), STILL_ACTIVE);
    platform::ChangeMachineIni([](platform::IniFile& ini) { ini.Set(L"Drive C", L"DefragBlocked", L"0"); });
    EXPECT_NE(released.ReadToEnd().find("= 12 %"), std::string::npos);
    EXPECT_EQ(released.Finish(), 0u);

    EXPECT_EQ(interrupted.ReadLine(), "Windows Disk Defragmenter\r");
    kill(static_cast<pid_t>(GetProcessId(interrupted.info.hProcess)), SIGINT);
    EXPECT_NE(interrupted.ReadToEnd().find("Defragmentation was cancelled by the user.\r\n"), std::string::npos);
    EXPECT_EQ(interrupted.Finish(), 4u);
}

} // namespace
