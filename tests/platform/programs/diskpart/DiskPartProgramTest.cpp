// The stand-in diskpart: scripts that set and clear a disk's read-only attribute in the machine,
// what it lists and prints, and how a script or the machine makes it fail.
#include "platform/programs/standin/StandInTestSupport.h"

#include "platform/Machine.h"
#include "platform/SystemPrograms.h"
#include "platform/Windows.h"

namespace {

class DiskPartProgramTest : public standin_test::StandInTest {
protected:
    kernel_test::Outcome RunScript(const std::string& script)
    {
        machine.WriteFile("drive_c/script.txt", script);
        return Run(L"diskpart /s C:\\script.txt");
    }

    static bool CanWriteOnStick()
    {
        platform::ReloadMachine();
        HANDLE file = CreateFileW(L"E:\\probe.txt", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                  nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return false;
        CloseHandle(file);
        DeleteFileW(L"E:\\probe.txt");
        return true;
    }
};

TEST_F(DiskPartProgramTest, SetsAndClearsTheReadOnlyAttributeOfTheSelectedDisk)
{
    Prepare();
    const auto set = RunScript("select disk 1\r\nattributes disk set readonly");
    EXPECT_EQ(set.exitCode, 0u) << set.output;
    EXPECT_TRUE(Holds(set.output, "\r\nDisk 1 is now the selected disk.\r\n")) << set.output;
    EXPECT_TRUE(Holds(set.output, "\r\nDisk attributes set successfully.\r\n"));
    EXPECT_EQ(IniValue(L"Disk 1", L"ReadOnly"), L"1");
    EXPECT_EQ(IniValue(L"Disk 0", L"ReadOnly"), L"");
    EXPECT_FALSE(CanWriteOnStick());
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_WRITE_PROTECT));

    const auto clear = RunScript("SELECT DISK 1\nattributes disk clear readonly\n");
    EXPECT_EQ(clear.exitCode, 0u) << clear.output;
    EXPECT_TRUE(Holds(clear.output, "\r\nDisk attributes cleared successfully.\r\n"));
    EXPECT_EQ(IniValue(L"Disk 1", L"ReadOnly"), L"0");
    EXPECT_TRUE(CanWriteOnStick());
    EXPECT_EQ(IniValue(L"Disk 1", L"Vendor"), L"Kingstone");
}

TEST_F(DiskPartProgramTest, ListsTheDisksAndShowsTheSelectedOnesState)
{
    Prepare();
    SetIniValue(L"Disk 1", L"ReadOnly", L"1");
    const auto run = RunScript("rem the disks\r\nlist disk\r\n\r\nselect disk 1\r\nlist disk\r\nattributes disk\r\nexit\r\n"
                               "select disk 7\r\n");
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    EXPECT_TRUE(Holds(run.output, "DiskPart version 10.0.19045")) << run.output;
    EXPECT_TRUE(Holds(run.output, "  Disk 0    Online          476 GB      0 B\r\n"));
    EXPECT_TRUE(Holds(run.output, "  Disk 1    Online           14 GB      0 B\r\n"));
    EXPECT_TRUE(Holds(run.output, "* Disk 1    Online           14 GB      0 B\r\n"));
    EXPECT_TRUE(Holds(run.output, "Current Read-only State : Yes\r\n"));
    EXPECT_TRUE(Holds(run.output, "\r\nLeaving DiskPart...\r\n"));
    EXPECT_FALSE(Holds(run.output, "not valid"));
}

TEST_F(DiskPartProgramTest, TheFirstFailingCommandEndsTheScriptWithItsCode)
{
    Prepare();
    const auto badDisk = RunScript("select disk 9\r\nattributes disk set readonly");
    EXPECT_EQ(badDisk.exitCode, 2u);
    EXPECT_TRUE(Holds(badDisk.output, "The disk you specified is not valid.")) << badDisk.output;
    EXPECT_FALSE(Holds(badDisk.output, "Leaving DiskPart"));

    const auto noDisk = RunScript("attributes disk set readonly\r\n");
    EXPECT_EQ(noDisk.exitCode, 2u);
    EXPECT_TRUE(Holds(noDisk.output, "There is no disk selected to set the attributes."));

    EXPECT_EQ(RunScript("select disk 1\r\nattributes disk set hidden\r\n").exitCode, 2u);
    EXPECT_EQ(RunScript("format disk 1\r\nselect disk 1\r\nattributes disk set readonly\r\n").exitCode, 5u);
    EXPECT_EQ(IniValue(L"Disk 1", L"ReadOnly"), L"");

    const auto noScript = Run(L"diskpart /s C:\\missing.txt");
    EXPECT_EQ(noScript.exitCode, 3u);
    EXPECT_TRUE(Holds(noScript.output, "unable to open the script file"));
    EXPECT_EQ(Run(L"diskpart").exitCode, 2u);
}

TEST_F(DiskPartProgramTest, TheMachinesDefaultDiskKeepsItsDescriptionWhenChanged)
{
    machine.WriteMachineIni("[Machine]\nIs64Bit=1\n");
    ASSERT_TRUE(platform::InstallSystemPrograms(testing_support::BuildProgramFolder()));
    EXPECT_EQ(RunScript("select disk 0\r\nattributes disk set readonly").exitCode, 0u);
    platform::ReloadMachine();
    const platform::DiskInfo* disk = platform::Machine().Disk(0);
    ASSERT_NE(disk, nullptr);
    EXPECT_TRUE(disk->readOnly);
    EXPECT_EQ(disk->vendor, L"QUARNEL");
    EXPECT_EQ(disk->product, L"Virtual Disk");
}

TEST_F(DiskPartProgramTest, FailsOnRequestWithoutTouchingTheDisk)
{
    Prepare("", "[Fail]\ndiskpart=exit\n");
    const auto refused = RunScript("select disk 1\r\nattributes disk set readonly");
    EXPECT_EQ(refused.exitCode, 4u);
    EXPECT_TRUE(Holds(refused.output, "DiskPart has encountered an error: Access is denied.")) << refused.output;
    EXPECT_FALSE(Holds(refused.output, "successfully"));
    EXPECT_EQ(IniValue(L"Disk 1", L"ReadOnly"), L"");

    SetIniValue(L"Fail", L"diskpart", L"silent");
    const auto silent = RunScript("select disk 1\r\nattributes disk set readonly");
    EXPECT_EQ(silent.exitCode, 1u);
    EXPECT_EQ(silent.output, "");
    EXPECT_EQ(IniValue(L"Disk 1", L"ReadOnly"), L"");
}

} // namespace
