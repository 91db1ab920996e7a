// Entry names as they reach the file system.
#include "update/EntryName.h"

#include <gtest/gtest.h>

namespace {

TEST(EntryNameTest, SanitisingDropsRootsAndEverythingUpToAClimb)
{
    EXPECT_EQ(L"evil.txt", SanitiseEntryName(L"C:\\..\\x\\..\\evil.txt"));
    EXPECT_EQ(L"abs/a.txt", SanitiseEntryName(L"/abs/a.txt"));
    EXPECT_EQ(L"b", SanitiseEntryName(L"a/../b"));
    EXPECT_EQ(L"b", SanitiseEntryName(L"a\\../b"));
    EXPECT_EQ(L"b", SanitiseEntryName(L"a/..\\b"));
    EXPECT_EQ(L"x.txt", SanitiseEntryName(L"C:D:/\\x.txt"));
    EXPECT_EQ(L"../x", SanitiseEntryName(L"../x"));
    EXPECT_EQ(L"", SanitiseEntryName(L"C:\\"));
    EXPECT_EQ(L"plain/name.txt", SanitiseEntryName(L"plain/name.txt"));
}

TEST(EntryNameTest, NamesWithoutTheFlagAreUtf8WhereTheyCanBeAndCodePage437Otherwise)
{
    // One character of each block of the code page's upper half.
    EXPECT_EQ(L"\u00c7\u00c9\u00e1\u2591\u2514\u2568\u03b1\u2261\u00a0",
              DecodeEntryName("\x80\x90\xA0\xB0\xC0\xD0\xE0\xF0\xFF", false));
    EXPECT_EQ(L"caf\u00e9\\x.txt", DecodeEntryName("caf\xC3\xA9\\x.txt", false));
    // An overlong '/' is no separator: it is not UTF-8.
    EXPECT_EQ(L"a\u2514\u00bbb", DecodeEntryName("a\xC0\xAF" "b", false));
    EXPECT_EQ(L"\ufffd.txt", DecodeEntryName("\x84.txt", true));
    EXPECT_EQ(L"", DecodeEntryName("", false));
}

TEST(EntryNameTest, OnlyNamesThatStayInsideTheFolderAreContained)
{
    for (const wchar_t* name : {L"a.txt", L"img/1.png", L"a\\b\\c", L"./a", L"a..b", L"..a", L"a/b../c", L"a//b"})
        EXPECT_TRUE(IsContainedEntryName(name)) << name;
    for (const wchar_t* name : {L"", L"..", L"../a", L"a/..", L"a\\..\\..\\b", L"...", L".. ", L"a/. ./b",
                                L"a:b", L"x/C:/y"})
        EXPECT_FALSE(IsContainedEntryName(name)) << name;
}

} // namespace
