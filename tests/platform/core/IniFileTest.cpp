#include "platform/IniFile.h"

#include "support/TempMachine.h"

#include <gtest/gtest.h>

using platform::IniFile;
using testing_support::ReadFile;
using testing_support::TempMachine;

TEST(IniFile, ReadsSectionsAndKeysIgnoringCaseAndBlanks)
{
    TempMachine machine;
    const auto path = machine.WriteFile("a.ini", "; comment\r\n[Update]\r\n  Url = http://x/y \r\nbuild=12\r\n[block]\nmain=1\n");
    IniFile ini(path);
    EXPECT_TRUE(ini.Exists());
    EXPECT_EQ(ini.Get(L"update", L"URL", L""), L"http://x/y");
    EXPECT_EQ(ini.GetInt(L"UPDATE", L"build", 0), 12);
    EXPECT_EQ(ini.GetInt(L"Block", L"Main", 0), 1);
    EXPECT_FALSE(ini.Get(L"update", L"comment").has_value());
    EXPECT_EQ(ini.Keys(L"update").size(), 2u);
}

TEST(IniFile, MissingFileIsEmpty)
{
    TempMachine machine;
    IniFile ini(machine.Root() + "/none.ini");
    EXPECT_FALSE(ini.Exists());
    EXPECT_TRUE(ini.Sections().empty());
    EXPECT_EQ(ini.GetInt(L"a", L"b", 7), 7);
}

TEST(IniFile, WritingKeepsOtherLinesAndAddsSections)
{
    TempMachine machine;
    const auto path = machine.WriteFile("b.ini", "; keep me\n[cache]\naccount=a@b.c\n\n[other]\nx=1\n");
    {
        IniFile ini(path);
        ini.Set(L"Cache", L"login", L"1");
        ini.Set(L"cache", L"ACCOUNT", L"new@b.c");
        ini.Set(L"fresh", L"k", L"v");
        ini.RemoveKey(L"other", L"x");
        ASSERT_TRUE(ini.Save());
    }
    EXPECT_EQ(ReadFile(path), "; keep me\r\n[cache]\r\naccount=new@b.c\r\nlogin=1\r\n\r\n[other]\r\n\r\n[fresh]\r\nk=v\r\n");
}

TEST(IniFile, Utf16FilesStayUtf16)
{
    TempMachine machine;
    const std::string content("\xFF\xFE[\0s\0]\0\r\0\n\0k\0=\0\xE4\0\r\0\n\0", 22);
    const auto path = machine.WriteFile("c.ini", content);
    IniFile ini(path);
    EXPECT_EQ(ini.Get(L"s", L"k", L""), L"\u00e4");
    ini.Set(L"s", L"k", L"b");
    ASSERT_TRUE(ini.Save());
    const std::string saved = ReadFile(path);
    ASSERT_GE(saved.size(), 2u);
    EXPECT_EQ(saved.substr(0, 2), "\xFF\xFE");
    EXPECT_EQ(IniFile(path).Get(L"s", L"k", L""), L"b");
}

TEST(IniFile, SaveIntoMissingFolderFailsWithoutCrashing)
{
    TempMachine machine;
    IniFile ini(machine.Root() + "/no/such/folder/x.ini");
    ini.Set(L"a", L"b", L"c");
    EXPECT_FALSE(ini.Save());
}
