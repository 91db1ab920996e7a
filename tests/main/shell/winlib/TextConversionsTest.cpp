#include "winlib/TextConversions.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

namespace {

TEST(TextConversions, Utf8CarriesCharactersOutsideAscii)
{
    const wchar_t* wide = L"Gr\u00FC\u00DFe \u20AC \U0001F600";
    const std::string utf8 = "Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC \xF0\x9F\x98\x80";
    EXPECT_EQ(WideToUtf8(wide), utf8);
    EXPECT_EQ(Utf8ToWide(utf8.c_str()), wide);
    EXPECT_EQ(WideToUtf8(L"plain"), "plain");
}

TEST(TextConversions, NullAndEmptyTextsGiveEmptyTexts)
{
    EXPECT_EQ(WideToUtf8(nullptr), "");
    EXPECT_EQ(Utf8ToWide(nullptr), L"");
    EXPECT_EQ(WideToUtf8(L""), "");
    EXPECT_EQ(AnsiToWideString(""), L"");
    EXPECT_EQ(WideToAnsiString(L""), "");
}

TEST(TextConversions, AnsiCodePageRoundTrips)
{
    const std::wstring wide = L"caf\u00E9 \u00C5ngstr\u00F6m";
    const std::string ansi = WideToAnsiString(wide);
    EXPECT_FALSE(ansi.empty());
    EXPECT_EQ(AnsiToWideString(ansi), wide);
    EXPECT_EQ(AnsiToWideString("Quarnel 1.0"), L"Quarnel 1.0");
}

TEST(TextConversions, IntegersAreWrittenWithoutPaddingOrGrouping)
{
    EXPECT_EQ(IntToString(-5), "-5");
    EXPECT_EQ(IntToString(0), "0");
    EXPECT_EQ(IntToString(1234567), "1234567");
    EXPECT_EQ(IntToWString(INT_MIN), L"-2147483648");
    EXPECT_EQ(IntToWString(42), L"42");
    EXPECT_EQ(Int64ToWString(INT64_MAX), L"9223372036854775807");
    EXPECT_EQ(Int64ToWString(-10485760), L"-10485760");
}

} // namespace
