#include "winlib/SystemQueries.h"

#include "support/TempMachine.h"

#include <gtest/gtest.h>

namespace {

TEST(SystemQueries, NativeAmd64FollowsTheMachine)
{
    testing_support::TempMachine machine;
    machine.WriteMachineIni("[Machine]\nIs64Bit=1\n");
    EXPECT_TRUE(IsNativeAmd64());
    machine.WriteMachineIni("[Machine]\nIs64Bit=0\n");
    EXPECT_FALSE(IsNativeAmd64());
}

TEST(SystemQueries, OsVersionTakesTheTrueNumbers)
{
    testing_support::TempMachine machine;
    machine.WriteMachineIni("[Machine]\nWindowsVersion=6.2.9200\nTrueVersion=10.0.19045\n");
    OSVERSIONINFOEXW version = {};
    ASSERT_TRUE(GetOsVersion(version));
    EXPECT_EQ(version.dwMajorVersion, 10u);
    EXPECT_EQ(version.dwMinorVersion, 0u);
    EXPECT_EQ(version.dwBuildNumber, 19045u);
    EXPECT_EQ(version.dwOSVersionInfoSize, sizeof(OSVERSIONINFOEXW));
}

} // namespace
