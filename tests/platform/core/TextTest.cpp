#include "platform/Text.h"

#include <gtest/gtest.h>

using namespace platform;

TEST(Text, Utf8RoundTripsOutsideAscii)
{
    const std::wstring text = L"Gr\u00fc\u00dfe \u4e2d\u6587 \U0001F600";
    const std::string utf8 = ToUtf8(text);
    EXPECT_EQ(utf8, "Gr\xC3\xBC\xC3\x9F" "e \xE4\xB8\xAD\xE6\x96\x87 \xF0\x9F\x98\x80");
    EXPECT_EQ(FromUtf8(utf8), text);
}

TEST(Text, BrokenUtf8BecomesReplacementCharacters)
{
    EXPECT_EQ(FromUtf8(std::string("a\xC3", 2)), L"a\uFFFD");
    EXPECT_EQ(FromUtf8(std::string("\xC0\x80z", 3)), L"\uFFFD\uFFFDz");
    EXPECT_EQ(FromUtf8(static_cast<const char*>(nullptr)), L"");
}

TEST(Text, Utf16LeUsesSurrogatePairs)
{
    const std::string bytes = ToUtf16LEBytes(L"A\U0001F600");
    ASSERT_EQ(bytes.size(), 6u);
    EXPECT_EQ(bytes, std::string("A\0\x3D\xD8\x00\xDE", 6));
    EXPECT_EQ(FromUtf16LEBytes(bytes.data(), bytes.size()), L"A\U0001F600");
}

TEST(Text, CaseInsensitiveComparisonCoversNonAscii)
{
    EXPECT_TRUE(EqualsIgnoringCase(L"Software\\Microsoft", L"SOFTWARE\\microsoft"));
    EXPECT_TRUE(EqualsIgnoringCase(L"\u00e4rger", L"\u00c4RGER"));
    EXPECT_FALSE(EqualsIgnoringCase(L"abc", L"abcd"));
    EXPECT_LT(CompareIgnoringCase(L"abc", L"ABD"), 0);
}
