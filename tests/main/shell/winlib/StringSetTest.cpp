#include "winlib/StringSet.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <string>
#include <vector>

namespace {

std::vector<std::wstring> Entries(const CStringSet& set)
{
    std::vector<std::wstring> entries;
    for (const wchar_t* text : set)
        entries.push_back(text ? text : L"<null>");
    return entries;
}

TEST(StringSet, KeepsTheFirstSpellingAndFindsItInAnyCase)
{
    CStringSet set;
    EXPECT_TRUE(set.Add(L"C:\\Program Files\\Renewer.exe"));
    EXPECT_TRUE(set.Add(L"c:\\program files\\RENEWER.EXE"));
    EXPECT_TRUE(set.Add(L"C:\\Apps\\b.exe"));
    EXPECT_EQ((std::vector<std::wstring> {L"C:\\Apps\\b.exe", L"C:\\Program Files\\Renewer.exe"}), Entries(set));
    EXPECT_TRUE(set.Contains(L"C:\\PROGRAM FILES\\renewer.exe"));
    EXPECT_FALSE(set.Contains(L"C:\\Program Files\\Other.exe"));
    set.Remove(L"c:\\APPS\\B.EXE");
    EXPECT_EQ((std::vector<std::wstring> {L"C:\\Program Files\\Renewer.exe"}), Entries(set));
    set.Clear();
    EXPECT_TRUE(set.empty());
}

TEST(StringSet, NullIsRefusedAndEmptyIsOneNullEntryFirst)
{
    CStringSet set;
    EXPECT_FALSE(set.Add(nullptr));
    EXPECT_FALSE(set.Contains(nullptr));
    EXPECT_TRUE(set.Add(L"z"));
    EXPECT_TRUE(set.Add(L""));
    EXPECT_TRUE(set.Add(L""));
    EXPECT_EQ((std::vector<std::wstring> {L"<null>", L"z"}), Entries(set));
    EXPECT_TRUE(set.Contains(L""));
}

TEST(WideStringCopies, CopiesAndJoinsReplacingTheOldText)
{
    wchar_t* text = nullptr;
    EXPECT_EQ(1, DupWideString(&text, L"abc"));
    ASSERT_NE(nullptr, text);
    EXPECT_STREQ(L"abc", text);
    EXPECT_EQ(1, ConcatWideStrings(&text, L"C:\\a", L"\\b.ico"));
    EXPECT_STREQ(L"C:\\a\\b.ico", text);
    for (const auto& [first, second] : {std::pair<const wchar_t*, const wchar_t*> {L"", L"x"}, {L"x", L""},
                                        {nullptr, L"x"}, {L"x", nullptr}}) {
        EXPECT_EQ(1, ConcatWideStrings(&text, first, second));
        EXPECT_EQ(nullptr, text);
        DupWideString(&text, L"again");
    }
    EXPECT_EQ(1, DupWideString(&text, L""));
    EXPECT_EQ(nullptr, text);
}

} // namespace
