#include "winlib/SpecialFolders.h"

#include "support/TempMachine.h"

#include "platform/Windows.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::wstring PathOf(const CSpecialFolders& folders, int csidl)
{
    const wchar_t* path = folders.Path(csidl);
    return path ? path : L"";
}

// FolderOf answers the CSIDL and the length of the folder's path within the path.
void ExpectFolderOf(const CSpecialFolders& folders, const std::wstring& path, int csidl, size_t length)
{
    size_t found = 99;
    EXPECT_EQ(folders.FolderOf(path, &found), csidl) << path;
    EXPECT_EQ(found, length) << path;
}

TEST(SpecialFolders, A64BitMachineKeepsBothProgramAndSystemFolders)
{
    testing_support::TempMachine machine;
    machine.WriteMachineIni("[Machine]\nIs64Bit=1\n");
    const CSpecialFolders folders;

    EXPECT_EQ(PathOf(folders, CSIDL_PROGRAM_FILES), L"C:\\Program Files");
    EXPECT_EQ(PathOf(folders, CSIDL_PROGRAM_FILESX86), L"C:\\Program Files (x86)");
    EXPECT_EQ(PathOf(folders, CSIDL_PROGRAM_FILES_COMMON), L"C:\\Program Files\\Common Files");
    EXPECT_EQ(PathOf(folders, CSIDL_PROGRAM_FILES_COMMONX86), L"C:\\Program Files (x86)\\Common Files");
    EXPECT_NE(PathOf(folders, CSIDL_SYSTEM), PathOf(folders, CSIDL_SYSTEMX86));
    EXPECT_FALSE(PathOf(folders, CSIDL_SYSTEM).empty());
    EXPECT_FALSE(PathOf(folders, CSIDL_SYSTEMX86).empty());

    const std::wstring system = PathOf(folders, CSIDL_SYSTEM);
    ExpectFolderOf(folders, system + L"\\drivers\\etc", CSIDL_SYSTEM, system.size());
}

TEST(SpecialFolders, A32BitMachineHasOneFolderOfEachKindLeadingBackToThe32BitName)
{
    testing_support::TempMachine machine;
    machine.WriteMachineIni("[Machine]\nIs64Bit=0\n");
    const CSpecialFolders folders;

    const std::wstring system = PathOf(folders, CSIDL_SYSTEM);
    ASSERT_FALSE(system.empty());
    EXPECT_EQ(PathOf(folders, CSIDL_SYSTEMX86), system);
    EXPECT_EQ(PathOf(folders, CSIDL_PROGRAM_FILESX86), PathOf(folders, CSIDL_PROGRAM_FILES));
    EXPECT_EQ(PathOf(folders, CSIDL_PROGRAM_FILES_COMMONX86), PathOf(folders, CSIDL_PROGRAM_FILES_COMMON));
    EXPECT_EQ(PathOf(folders, CSIDL_PROGRAM_FILES), L"C:\\Program Files");

    ExpectFolderOf(folders, system + L"\\drivers\\etc\\hosts", CSIDL_SYSTEMX86, system.size());
}

TEST(SpecialFolders, FolderOfFindsTheLongestFolderAndLeavesThePathAlone)
{
    const CSpecialFolders folders;
    const std::wstring x86 = PathOf(folders, CSIDL_PROGRAM_FILESX86);
    ASSERT_FALSE(x86.empty());

    const std::wstring path = x86 + L"\\Orvane\\Quarnel\\Quarnel.exe";
    const std::wstring before = path;
    ExpectFolderOf(folders, path, CSIDL_PROGRAM_FILESX86, x86.size());
    EXPECT_EQ(path, before);

    // A deeper known folder wins over the one that holds it.
    const std::wstring common = PathOf(folders, CSIDL_PROGRAM_FILES_COMMONX86);
    ExpectFolderOf(folders, common + L"/System/file.dll", CSIDL_PROGRAM_FILES_COMMONX86, common.size());
}

TEST(SpecialFolders, FolderOfIgnoresCaseAndNeedsASeparatorAfterTheFolder)
{
    const CSpecialFolders folders;
    const std::wstring windows = PathOf(folders, CSIDL_WINDOWS);
    ASSERT_FALSE(windows.empty());
    std::wstring upper = windows + L"\\NOTEPAD.EXE";
    for (wchar_t& c : upper)
        c = static_cast<wchar_t>(towupper(static_cast<wint_t>(c)));

    ExpectFolderOf(folders, upper, CSIDL_WINDOWS, windows.size());

    // "C:\Windows2\x" does not lie in "C:\Windows".
    ExpectFolderOf(folders, windows + L"2\\x", 0, 0);
    ExpectFolderOf(folders, L"Z:\\Elsewhere\\file.txt", 0, 0);
    ExpectFolderOf(folders, L"", 0, 0);
}

} // namespace
