// The stand-in chkdsk: its report of a drive's files, fixing a drive whose file system has errors,
// its questions for a volume in use or the system drive, and the drives it cannot check.
#include "platform/programs/standin/StandInTestSupport.h"

namespace {

class ChkdskProgramTest : public standin_test::StandInTest {
protected:
    void AddFiles()
    {
        machine.WriteFile("drive_e/photo.jpg", std::string(5000, 'p'));
        machine.WriteFile("drive_e/docs/letter.txt", "dear");
    }
};

TEST_F(ChkdskProgramTest, ReportsTheDrivesFilesAndFoldersWithAllStages)
{
    Prepare();
    AddFiles();
    const auto run = Run(L"chkdsk.exe E: /f /r /x");
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    EXPECT_GT(run.output.size(), 200u);
    EXPECT_EQ(run.output.rfind("The type of the file system is FAT32.\r\nVolume label is STICK.\r\n", 0), 0u) << run.output;
    EXPECT_TRUE(Holds(run.output, "           3 file records processed.\r\n"));
    EXPECT_TRUE(Holds(run.output, "Stage 5: Looking for bad, free clusters ..."));
    EXPECT_TRUE(Holds(run.output, "Windows has scanned the file system and found no problems.\r\n"));
    EXPECT_TRUE(Holds(run.output, "          12 KB in 2 files.\r\n"));
    EXPECT_TRUE(Holds(run.output, "           4 KB in 1 indexes.\r\n"));
    EXPECT_FALSE(Holds(run.output, "(Y/N)"));

    const auto readOnly = Run(L"chkdsk E:");
    EXPECT_TRUE(Holds(readOnly.output, "Running CHKDSK in read-only mode.")) << readOnly.output;
    EXPECT_FALSE(Holds(readOnly.output, "Stage 4"));
}

TEST_F(ChkdskProgramTest, ReportsErrorsWithoutFixAndCorrectsThemWithIt)
{
    Prepare("Dirty=1\n");
    const auto found = Run(L"chkdsk E:");
    EXPECT_EQ(found.exitCode, 2u);
    EXPECT_TRUE(Holds(found.output, "Run CHKDSK with the /F (fix) option to correct these.")) << found.output;
    EXPECT_EQ(IniValue(L"Drive E", L"Dirty"), L"1");

    const auto fixed = Run(L"chkdsk E: /f");
    EXPECT_EQ(fixed.exitCode, 1u);
    EXPECT_TRUE(Holds(fixed.output, "Windows has made corrections to the file system.\r\n")) << fixed.output;
    EXPECT_EQ(IniValue(L"Drive E", L"Dirty"), L"0");
    EXPECT_EQ(Run(L"chkdsk E: /f").exitCode, 0u);
}

TEST_F(ChkdskProgramTest, AVolumeInUseIsDismountedWithXOrAskedAbout)
{
    Prepare("InUse=1\n");
    const auto forced = Run(L"chkdsk E: /f /x");
    EXPECT_EQ(forced.exitCode, 0u);
    EXPECT_TRUE(Holds(forced.output, "FAT32.\r\nVolume dismounted.  All opened handles to this volume are now invalid.\r\n"))
        << forced.output;
    EXPECT_FALSE(Holds(forced.output, "(Y/N)"));

    // With the input ended both questions are answered no, and nothing is checked.
    const auto asked = Run(L"chkdsk E: /f");
    EXPECT_EQ(asked.exitCode, 3u);
    EXPECT_TRUE(Holds(asked.output, "Would you like to force a dismount on this volume? (Y/N) \r\n")) << asked.output;
    EXPECT_TRUE(Holds(asked.output, "checked the next time the system restarts? (Y/N) \r\n"));
    EXPECT_FALSE(Holds(asked.output, "Stage 1"));

    const auto system = Run(L"chkdsk C: /f");
    EXPECT_EQ(system.exitCode, 3u);
    EXPECT_TRUE(Holds(system.output, "Cannot lock current drive.\r\n")) << system.output;
}

TEST_F(ChkdskProgramTest, DrivesThatCannotBeCheckedGiveShortReportsAndCodeThree)
{
    Prepare("", "[Drive F]\nFileSystem=RAW\n");
    SetIniValue(L"Disk 1", L"ReadOnly", L"1");
    const auto protectedStick = Run(L"chkdsk E: /f");
    EXPECT_EQ(protectedStick.exitCode, 3u);
    EXPECT_TRUE(Holds(protectedStick.output, "because it is write protected.")) << protectedStick.output;
    EXPECT_LE(protectedStick.output.size(), 200u);

    const auto raw = Run(L"chkdsk F:");
    EXPECT_EQ(raw.exitCode, 3u);
    EXPECT_TRUE(Holds(raw.output, "CHKDSK is not available for RAW drives.")) << raw.output;

    EXPECT_EQ(Run(L"chkdsk G: /f").output, "Cannot open volume for direct access.\r\n");
    const auto badSwitch = Run(L"chkdsk E: /q");
    EXPECT_EQ(badSwitch.exitCode, 3u);
    EXPECT_EQ(badSwitch.output, "Invalid parameter - /q\r\n");

    SetIniValue(L"Fail", L"chkdsk", L"exit");
    const auto failed = Run(L"chkdsk D: /f /r /x");
    EXPECT_EQ(failed.exitCode, 3u);
    EXPECT_EQ(failed.output, "The type of the file system is NTFS.\r\nCannot open volume for direct access.\r\n");
}

} // namespace
