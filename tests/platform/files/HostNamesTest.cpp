// Every host name has exactly one Windows name, which leads back to that name and no other.
#include "FileTestSupport.h"
#include "HostNames.h"

#include "platform/Machine.h"
#include "platform/Windows.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <vector>

namespace fs = std::filesystem;
using platform::files::HostName;
using platform::files::WindowsName;

namespace {

const std::string kTemp = "/Users/Owner/AppData/Local/Temp";
const std::wstring kWindowsTemp = L"C:\\Users\\Owner\\AppData\\Local\\Temp";

std::string TempFolder() { return platform::Machine().Drive(L'C')->folder + kTemp; }

std::vector<std::wstring> ListTemp()
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data {};
    HANDLE find = FindFirstFileW((kWindowsTemp + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do
        if (std::wstring(data.cFileName) != L"." && std::wstring(data.cFileName) != L"..")
            names.push_back(data.cFileName);
    while (FindNextFileW(find, &data));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

TEST(HostNames, EveryHostNameHasOneWindowsNameThatLeadsBack)
{
    const std::string names[] = {
        "plain.txt", "Grüße.txt", "a\\b", "..\\..\\x", "c:d", "w*?\"<>|", std::string("ctl\x01\x1f", 5),
        "stray\xff", "\xc3", "\xc3\x28", "\xed\xa0\x80", // cut, broken and surrogate sequences
        "\xef\x80\xbc",                                // the private-use character that stands for "<"
        "\xef\x81\x81",                                // a private-use character that stands for nothing
    };
    std::vector<std::wstring> seen;
    for (const std::string& name : names) {
        const std::wstring windows = WindowsName(name);
        EXPECT_EQ(windows.find_first_of(L"\\/:*?\"<>|"), std::wstring::npos) << name;
        EXPECT_TRUE(std::none_of(windows.begin(), windows.end(), [](wchar_t c) { return c < 0x20; })) << name;
        std::string back;
        ASSERT_TRUE(HostName(windows, back)) << name;
        EXPECT_EQ(back, name);
        EXPECT_EQ(std::count(seen.begin(), seen.end(), windows), 0) << name;
        seen.push_back(windows);
    }
    EXPECT_EQ(WindowsName("Grüße.txt"), L"Grüße.txt");
    std::string host;
    EXPECT_FALSE(HostName(L"a*b", host));
    EXPECT_FALSE(HostName(L"a/b", host));
}

TEST(HostNames, AListedNameThatLooksLikeAPathReachesOnlyItsOwnFile)
{
    ASSERT_TRUE(files_test::WriteText(L"C:\\Users\\Owner\\Documents\\evil.txt", "precious"));
    std::ofstream(TempFolder() + "/..\\..\\..\\Documents\\evil.txt") << "junk";

    const std::vector<std::wstring> listed = ListTemp();
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].find(L'\\'), std::wstring::npos);
    EXPECT_TRUE(DeleteFileW((kWindowsTemp + L"\\" + listed[0]).c_str()));
    EXPECT_TRUE(ListTemp().empty());
    EXPECT_EQ(files_test::ReadText(L"C:\\Users\\Owner\\Documents\\evil.txt"), "precious");
}

TEST(HostNames, NamesThatDifferInOneStrayByteStayTwoFiles)
{
    std::ofstream(TempFolder() + "/a\xfe.tmp") << "first";
    std::ofstream(TempFolder() + "/a\xff.tmp") << "second";

    const std::vector<std::wstring> listed = ListTemp();
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_NE(listed[0], listed[1]);
    for (const std::wstring& name : listed)
        EXPECT_EQ(platform::WindowsPath(platform::HostPath(kWindowsTemp + L"\\" + name)), kWindowsTemp + L"\\" + name);
    EXPECT_EQ(files_test::ReadText(kWindowsTemp + L"\\" + listed[1]), "second");
    EXPECT_TRUE(DeleteFileW((kWindowsTemp + L"\\" + listed[0]).c_str()));
    EXPECT_FALSE(fs::exists(TempFolder() + "/a\xfe.tmp"));
    EXPECT_EQ(testing_support::ReadFile(TempFolder() + "/a\xff.tmp"), "second");
}

TEST(HostNames, AnExactCaseMatchWinsAndOtherwiseTheChoiceIsStable)
{
    std::ofstream(TempFolder() + "/dup.TXT") << "lower";
    std::ofstream(TempFolder() + "/Dup.txt") << "upper";

    EXPECT_EQ(files_test::ReadText(kWindowsTemp + L"\\dup.TXT"), "lower");
    EXPECT_EQ(files_test::ReadText(kWindowsTemp + L"\\Dup.txt"), "upper");
    // Neither matches exactly: the first in byte order, every time.
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(files_test::ReadText(kWindowsTemp + L"\\DUP.TXT"), "upper");
    EXPECT_TRUE(DeleteFileW((kWindowsTemp + L"\\dup.TXT").c_str()));
    EXPECT_EQ(files_test::ReadText(kWindowsTemp + L"\\Dup.txt"), "upper");
}
