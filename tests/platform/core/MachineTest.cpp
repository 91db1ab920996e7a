#include "platform/Machine.h"

#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace platform;
using testing_support::TempMachine;

TEST(Machine, DefaultsGiveASystemDriveWithWindowsFolders)
{
    TempMachine machine;
    const auto& m = Machine();
    EXPECT_EQ(m.root, machine.Root());
    ASSERT_NE(m.Drive(L'c'), nullptr);
    EXPECT_EQ(m.Drive(L'C')->folder, machine.Root() + "/drive_c");
    EXPECT_TRUE(std::filesystem::is_directory(machine.Root() + "/drive_c/Windows/System32"));
    EXPECT_TRUE(std::filesystem::is_directory(machine.Root() + "/drive_c/Users/Owner/AppData/Local/Temp"));
    EXPECT_TRUE(m.is64BitWindows);
    EXPECT_EQ(m.Drive(L'D'), nullptr);
}

TEST(Machine, DescriptionComesFromMachineIni)
{
    TempMachine machine;
    machine.WriteMachineIni(
        "[Machine]\nWindowsVersion=6.1.7601\nTrueVersion=10.0.19045\nIs64Bit=0\nAdministrator=0\nUserName=Alex\n"
        "[Drive E]\nFolder=usb\nType=2\nBus=7\nDisk=1\nLabel=STICK\nFileSystem=FAT32\nReadOnly=1\nTotalBytes=8000000000\n"
        "[Disk 1]\nBus=7\nVendor=Kingmax\nSize=8000000000\nReadOnly=1\n");
    const auto& m = Machine();
    EXPECT_EQ(m.reportedVersion.major, 6u);
    EXPECT_EQ(m.reportedVersion.minor, 1u);
    EXPECT_EQ(m.trueVersion.major, 10u);
    EXPECT_FALSE(m.is64BitWindows);
    ASSERT_TRUE(m.administrator.has_value());
    EXPECT_FALSE(*m.administrator);
    const DriveInfo* e = m.Drive(L'E');
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->folder, machine.Root() + "/usb");
    EXPECT_EQ(e->type, 2u);
    EXPECT_EQ(e->busType, 7u);
    EXPECT_EQ(e->label, L"STICK");
    EXPECT_TRUE(e->readOnly);
    EXPECT_EQ(e->totalBytes.value_or(0), 8000000000ull);
    EXPECT_FALSE(e->freeBytes.has_value());
    ASSERT_NE(m.Disk(1), nullptr);
    EXPECT_EQ(m.Disk(1)->vendor, L"Kingmax");
    EXPECT_TRUE(std::filesystem::is_directory(machine.Root() + "/drive_c/Users/Alex/Desktop"));
}

TEST(Machine, WindowsPathsResolveThroughTheDriveMap)
{
    TempMachine machine;
    machine.WriteMachineIni("[Drive D]\nFolder=data\n");
    EXPECT_EQ(HostPath(L"C:\\Windows\\Fonts\\a.ttf"), machine.Root() + "/drive_c/Windows/Fonts/a.ttf");
    EXPECT_EQ(HostPath(L"d:/films/a.mkv"), machine.Root() + "/data/films/a.mkv");
    EXPECT_EQ(HostPath(L"\\\\?\\D:\\x"), machine.Root() + "/data/x");
    EXPECT_EQ(HostPath(L"D:\\"), machine.Root() + "/data");
    EXPECT_EQ(HostPath(L"Q:\\nothing"), "");
    // Host paths are no Windows paths: a rooted path is on the current drive, a relative one under
    // the current folder, which starts as the program folder.
    EXPECT_EQ(HostPath(L"/usr/share"), machine.Root() + "/drive_c/usr/share");
    EXPECT_EQ(HostPath(L"\\usr\\share"), machine.Root() + "/drive_c/usr/share");
    EXPECT_EQ(HostPath(L"..\\res\\a.ini"), machine.Root() + "/drive_c/Program Files (x86)/Orvane/Orvane Quarnel/res/a.ini");
}

TEST(Machine, ExistingComponentsMatchIgnoringCase)
{
    TempMachine machine;
    machine.WriteFile("drive_c/Program Files/Orvane/Config.XML", "x");
    EXPECT_EQ(HostPath(L"C:\\program files\\ORVANE\\config.xml"),
              machine.Root() + "/drive_c/Program Files/Orvane/Config.XML");
    EXPECT_EQ(HostPath(L"C:\\users\\OWNER\\new.txt"), machine.Root() + "/drive_c/Users/Owner/new.txt");
}

TEST(Machine, HostPathsTurnIntoWindowsPaths)
{
    TempMachine machine;
    EXPECT_EQ(WindowsPath(machine.Root() + "/drive_c/Users/Owner"), L"C:\\Users\\Owner");
    EXPECT_EQ(WindowsPath(machine.Root() + "/drive_c"), L"C:\\");
    EXPECT_EQ(WindowsPath("/opt/quarnel/bin"), L"");
}

TEST(Machine, ProgramFolderCanBeSetForTests)
{
    TempMachine machine;
    const std::string folder = machine.UseProgramFolder();
    EXPECT_EQ(ProgramFolder(), folder);
}

TEST(Machine, ChangesToMachineIniAreSeenWithoutAReload)
{
    TempMachine machine;
    machine.WriteMachineIni("[Disk 1]\nReadOnly=0\n");
    ASSERT_NE(Machine().Disk(1), nullptr);
    EXPECT_FALSE(Machine().Disk(1)->readOnly);
    // Another process (diskpart, say) rewrites the file; no ReloadMachine here.
    machine.WriteFile("machine.ini", "[Disk 1]\nReadOnly=1\nVendor=Changed\n");
    ASSERT_NE(Machine().Disk(1), nullptr);
    EXPECT_TRUE(Machine().Disk(1)->readOnly);
    EXPECT_EQ(Machine().Disk(1)->vendor, L"Changed");
}
