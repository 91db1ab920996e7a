#include "winlib/FileHelpers.h"

#include "common/Wow64FsRedirGuard.h"

#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

TEST(FileHelpers, ProgramFolderIsAnExistingFolderWithoutTrailingBackslash)
{
    const std::wstring& folder = GetExeDir();
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder.back(), L'\\');
    EXPECT_TRUE(PathExists(folder));
    EXPECT_FALSE(IsNotFolder(folder, false));
    EXPECT_EQ(GetCacheDir(), folder + L"\\cache");
}

TEST(FileHelpers, QueriesTellFilesFoldersAndMissingPathsApart)
{
    testing_support::TempMachine machine;
    machine.WriteFile("drive_c/Data/five.bin", "12345");

    EXPECT_TRUE(PathExists(L"C:\\Data\\five.bin"));
    EXPECT_TRUE(PathExists(L"C:\\Data"));
    EXPECT_FALSE(PathExists(L"C:\\Data\\none.bin"));
    EXPECT_FALSE(PathExists(L""));

    EXPECT_TRUE(FileExists(L"C:\\Data\\five.bin", false));
    EXPECT_TRUE(FileExists(L"C:\\Data", false));
    EXPECT_FALSE(FileExists(L"C:\\Data\\none.bin", false));

    EXPECT_TRUE(IsNotFolder(L"C:\\Data\\five.bin", false));
    EXPECT_FALSE(IsNotFolder(L"C:\\Data", false));
    EXPECT_FALSE(IsNotFolder(L"C:\\Data\\none.bin", false));

    EXPECT_EQ(GetFileSize64(L"C:\\Data\\five.bin", false), 5u);
    EXPECT_EQ(GetFileSize64(L"C:\\Data\\none.bin", false), 0u);
}

TEST(FileHelpers, EnsureDirectoryMakesOneLevel)
{
    testing_support::TempMachine machine;
    EXPECT_TRUE(EnsureDirectory(L"C:\\Fresh"));
    EXPECT_TRUE(std::filesystem::is_directory(machine.Root() + "/drive_c/Fresh"));
    EXPECT_TRUE(EnsureDirectory(L"C:\\Fresh"));
    EXPECT_FALSE(EnsureDirectory(L"C:\\Missing\\Deeper"));
    EXPECT_FALSE(std::filesystem::exists(machine.Root() + "/drive_c/Missing"));
}

TEST(FileHelpers, RedirectionOffReachesTheNativeSystemFolder)
{
    testing_support::TempMachine machine;
    machine.WriteMachineIni("[Machine]\nIs64Bit=1\n");
    machine.WriteFile("drive_c/Windows/System32/native.txt", "64");
    machine.WriteFile("drive_c/Windows/SysWOW64/wow.txt", "32-bit");

    EXPECT_FALSE(FileExists(L"C:\\Windows\\System32\\native.txt", false));
    EXPECT_TRUE(FileExists(L"C:\\Windows\\System32\\native.txt", true));
    EXPECT_EQ(GetFileSize64(L"C:\\Windows\\System32\\wow.txt", false), 6u);
    EXPECT_EQ(GetFileSize64(L"C:\\Windows\\System32\\native.txt", true), 2u);
    EXPECT_TRUE(IsNotFolder(L"C:\\Windows\\System32\\native.txt", true));

    // The guard reverts on release.
    {
        const CWow64FsRedirGuard guard;
        EXPECT_TRUE(PathExists(L"C:\\Windows\\System32\\native.txt"));
    }
    EXPECT_FALSE(PathExists(L"C:\\Windows\\System32\\native.txt"));
}

TEST(FileHelpers, A32BitWindowsHasNoRedirectionToSwitch)
{
    testing_support::TempMachine machine;
    machine.WriteMachineIni("[Machine]\nIs64Bit=0\n");
    machine.WriteFile("drive_c/Windows/System32/plain.txt", "x");

    EXPECT_TRUE(FileExists(L"C:\\Windows\\System32\\plain.txt", false));
    EXPECT_TRUE(FileExists(L"C:\\Windows\\System32\\plain.txt", true));
}

} // namespace
