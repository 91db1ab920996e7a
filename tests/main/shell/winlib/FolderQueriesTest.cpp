#include "winlib/FolderQueries.h"

#include "winlib/SpecialFolders.h"

#include "platform/Windows.h"

#include <gtest/gtest.h>

#include <string>

// These read the process-wide table of the test process's own machine: a 64-bit Windows.
namespace {

std::wstring Folder(int csidl)
{
    const wchar_t* path = SpecialFolders().Path(csidl);
    return path ? path : L"";
}

TEST(FolderQueries, KnownFoldersMayEndInOneSeparator)
{
    const std::wstring appData = Folder(CSIDL_APPDATA);
    ASSERT_FALSE(appData.empty());
    EXPECT_TRUE(IsKnownFolder(appData));
    EXPECT_TRUE(IsKnownFolder(appData + L"\\"));
    EXPECT_TRUE(IsKnownFolder(appData + L"/"));
    EXPECT_FALSE(IsKnownFolder(appData + L"\\\\"));
    EXPECT_FALSE(IsKnownFolder(appData + L"\\Orvane"));
    EXPECT_FALSE(IsKnownFolder(L""));
}

TEST(FolderQueries, PrefixTestsMatchTheFolderOrWhatLiesBelowIt)
{
    const std::wstring system = Folder(CSIDL_SYSTEM);
    ASSERT_FALSE(system.empty());
    EXPECT_TRUE(IsUnderSystemFolder(system, false));
    EXPECT_FALSE(IsUnderSystemFolder(system + L"\\drivers", false));
    EXPECT_TRUE(IsUnderSystemFolder(system + L"\\drivers", true));
    EXPECT_FALSE(IsUnderSystemFolder(system + L"x\\drivers", true));
    EXPECT_FALSE(IsUnderSystemFolder(L"C:", true));

    const std::wstring x86 = Folder(CSIDL_SYSTEMX86);
    EXPECT_TRUE(IsUnderSystemX86Folder(x86 + L"\\cmd.exe", true));
    EXPECT_FALSE(IsUnderSystemX86Folder(system + L"\\cmd.exe", true));

    std::wstring lower = Folder(CSIDL_WINDOWS) + L"\\Temp";
    for (wchar_t& c : lower)
        c = static_cast<wchar_t>(towlower(static_cast<wint_t>(c)));
    EXPECT_TRUE(IsUnderWindowsFolder(lower, true));
}

TEST(FolderQueries, ProgramFilesMeansThe32BitFolder)
{
    EXPECT_TRUE(IsUnderProgramFiles(Folder(CSIDL_PROGRAM_FILESX86) + L"\\Orvane\\Quarnel", true));
    EXPECT_FALSE(IsUnderProgramFiles(Folder(CSIDL_PROGRAM_FILES) + L"\\Orvane\\Quarnel", true));
}

} // namespace
