#include "platform/Windows.h"
#include "support/CalendarTime.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

namespace {

using testing_support::CalendarTime;

ULONGLONG Ticks(const FILETIME& time) { return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime; }

FILETIME FileTime(ULONGLONG ticks)
{
    return FILETIME {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

ULONGLONG TicksOf(const SYSTEMTIME& time)
{
    FILETIME file {};
    EXPECT_TRUE(SystemTimeToFileTime(&time, &file));
    return Ticks(file);
}

// Sets the local zone for one test.
class LocalZone {
public:
    explicit LocalZone(const char* zone)
    {
        if (const char* previous = std::getenv("TZ"))
            previous_ = previous;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~LocalZone()
    {
        if (previous_.empty())
            unsetenv("TZ");
        else
            setenv("TZ", previous_.c_str(), 1);
        tzset();
    }

private:
    std::string previous_;
};

constexpr ULONGLONG kHour = 36000000000ull;

TEST(KernelTime, FileTimesCountFrom1601)
{
    EXPECT_EQ(0u, TicksOf(CalendarTime(1601, 1, 1)));
    EXPECT_EQ(116444736000000000ull, TicksOf(CalendarTime(1970, 1, 1)));

    const ULONGLONG leapDay = TicksOf(CalendarTime(2024, 2, 29, 13, 45, 30, 123));
    SYSTEMTIME back {};
    const FILETIME file = FileTime(leapDay);
    ASSERT_TRUE(FileTimeToSystemTime(&file, &back));
    EXPECT_EQ(2024, back.wYear);
    EXPECT_EQ(2, back.wMonth);
    EXPECT_EQ(29, back.wDay);
    EXPECT_EQ(4, back.wDayOfWeek); // Thursday
    EXPECT_EQ(13, back.wHour);
    EXPECT_EQ(45, back.wMinute);
    EXPECT_EQ(30, back.wSecond);
    EXPECT_EQ(123, back.wMilliseconds);

    const FILETIME first = FileTime(0);
    ASSERT_TRUE(FileTimeToSystemTime(&first, &back));
    EXPECT_EQ(1, back.wDayOfWeek); // 1601-01-01 was a Monday
}

TEST(KernelTime, RejectsValuesOutsideWindowsRanges)
{
    FILETIME file {};
    for (const SYSTEMTIME& bad : {CalendarTime(1600, 12, 31), CalendarTime(2023, 13, 1), CalendarTime(2023, 2, 29), CalendarTime(2023, 4, 31),
                                  CalendarTime(2023, 1, 1, 24), CalendarTime(2023, 1, 1, 0, 60), CalendarTime(2023, 1, 1, 0, 0, 60),
                                  CalendarTime(2023, 1, 1, 0, 0, 0, 1000), CalendarTime(30828, 1, 1)}) {
        SetLastError(0);
        EXPECT_FALSE(SystemTimeToFileTime(&bad, &file));
        EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    }
    SYSTEMTIME time {};
    const FILETIME tooLarge = FileTime(0x8000000000000000ull);
    EXPECT_FALSE(FileTimeToSystemTime(&tooLarge, &time));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
}

TEST(KernelTime, SystemTimeIsTheHostClock)
{
    FILETIME now {};
    GetSystemTimeAsFileTime(&now);
    const ULONGLONG expected = (static_cast<ULONGLONG>(time(nullptr)) + 11644473600ull) * 10000000ull;
    EXPECT_LT(Ticks(now) > expected ? Ticks(now) - expected : expected - Ticks(now), 20000000ull);

    SYSTEMTIME system {};
    GetSystemTime(&system);
    EXPECT_LT(TicksOf(system) > Ticks(now) ? TicksOf(system) - Ticks(now) : Ticks(now) - TicksOf(system), 20000000ull);
}

TEST(KernelTime, LocalTimesUseTheLocalZone)
{
    const LocalZone zone("XYZ-3");
    SYSTEMTIME utc {}, local {};
    GetSystemTime(&utc);
    GetLocalTime(&local);
    const ULONGLONG difference = TicksOf(local) - TicksOf(utc);
    EXPECT_LT(difference > 3 * kHour ? difference - 3 * kHour : 3 * kHour - difference, 20000000ull);

    const FILETIME noon = FileTime(TicksOf(CalendarTime(2023, 7, 1, 12)));
    FILETIME shifted {}, back {};
    ASSERT_TRUE(FileTimeToLocalFileTime(&noon, &shifted));
    EXPECT_EQ(Ticks(noon) + 3 * kHour, Ticks(shifted));
    ASSERT_TRUE(LocalFileTimeToFileTime(&shifted, &back));
    EXPECT_EQ(Ticks(noon), Ticks(back));
}

TEST(KernelTime, TzSpecificLocalTimeFollowsTheZoneRulesOfTheDate)
{
    const LocalZone zone("CET-1CEST,M3.5.0,M10.5.0/3");
    SYSTEMTIME local {};
    const SYSTEMTIME summer = CalendarTime(2023, 7, 1, 12);
    ASSERT_TRUE(SystemTimeToTzSpecificLocalTime(nullptr, &summer, &local));
    EXPECT_EQ(14, local.wHour);
    const SYSTEMTIME winter = CalendarTime(2023, 1, 1, 23, 30);
    ASSERT_TRUE(SystemTimeToTzSpecificLocalTime(nullptr, &winter, &local));
    EXPECT_EQ(2, local.wDay);
    EXPECT_EQ(0, local.wHour);
    EXPECT_EQ(30, local.wMinute);
    EXPECT_EQ(1, local.wDayOfWeek); // 2023-01-02 was a Monday
}

TEST(KernelTime, CountersMoveForward)
{
    LARGE_INTEGER frequency {}, before {}, after {};
    ASSERT_TRUE(QueryPerformanceFrequency(&frequency));
    EXPECT_EQ(10000000, frequency.QuadPart);
    const ULONGLONG ticks = GetTickCount64();
    ASSERT_TRUE(QueryPerformanceCounter(&before));
    Sleep(60);
    ASSERT_TRUE(QueryPerformanceCounter(&after));
    EXPECT_GE(GetTickCount64() - ticks, 59u);
    EXPECT_LT(GetTickCount64() - ticks, 10000u);
    EXPECT_GE(after.QuadPart - before.QuadPart, 590000);
    const DWORD wide = static_cast<DWORD>(GetTickCount64());
    EXPECT_LE(GetTickCount() - wide, 5u);
}

} // namespace
