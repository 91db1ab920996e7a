// Reading and comparing four-part build numbers.
#include "update/BuildNumber.h"

#include <gtest/gtest.h>

namespace {

TEST(BuildNumberTest, PartsAreReadUntilOneCannotBe)
{
    EXPECT_EQ((BuildNumber{1, 2, 3, 4}), ParseBuildNumber(L"1.2.3.4"));
    EXPECT_EQ((BuildNumber{1, 2, 3, 0}), ParseBuildNumber(L"1.2.3"));
    EXPECT_EQ((BuildNumber{10, 20, 30, 40}), ParseBuildNumber(L"10-20_30 40"));
    EXPECT_EQ((BuildNumber{1, 0, 0, 0}), ParseBuildNumber(L"1.x.3.4"));
    EXPECT_EQ((BuildNumber{1, 0, 0, 0}), ParseBuildNumber(L"1..3.4"));
    EXPECT_EQ((BuildNumber{0, 0, 0, 0}), ParseBuildNumber(L""));
    EXPECT_EQ((BuildNumber{0, 0, 0, 0}), ParseBuildNumber(L"v1.2"));
    EXPECT_EQ((BuildNumber{2147483647, 5, 0, 0}), ParseBuildNumber(L"99999999999.5"));
}

TEST(BuildNumberTest, NumbersNotTextsAreCompared)
{
    EXPECT_TRUE(IsNewerBuild(L"1.2.3.4", L"1.2.3.10"));
    EXPECT_FALSE(IsNewerBuild(L"1.2.3.10", L"1.2.3.4"));
    EXPECT_FALSE(IsNewerBuild(L"1.2.3.0", L"1.2.3"));
    EXPECT_FALSE(IsNewerBuild(L"1.2.3.4", L"1.2.3.4"));
    EXPECT_TRUE(IsNewerBuild(L"1.9.9.9", L"2.0.0.0"));
    EXPECT_TRUE(IsNewerBuild(L"", L"0.0.0.1"));
    EXPECT_FALSE(IsNewerBuild(L"0.0.0.1", L""));
}

} // namespace
