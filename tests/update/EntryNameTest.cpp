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

TEST(EntryNameTest, OnlyNamesThatStayInsideTheFolderAreContained)
{
    for (const wchar_t* name : {L"a.txt", L"img/1.png", L"a\\b\\c", L"./a", L"a..b", L"..a", L"a/b../c", L"a//b"})
        EXPECT_TRUE(IsContainedEntryName(name)) << name;
    for (const wchar_t* name : {L"", L"..", L"../a", L"a/..", L"a\\..\\..\\b", L"...", L".. ", L"a/. ./b",
                                L"a:b", L"x/C:/y"})
        EXPECT_FALSE(IsContainedEntryName(name)) << name;
}

} // namespace
