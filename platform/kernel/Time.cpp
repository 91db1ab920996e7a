#include "platform/win/Time.h"

#include "platform/win/Errors.h"

#include <cerrno>
#include <cstdint>
#include <ctime>
#include <sched.h>
#include <unistd.h>

namespace {

constexpr int64_t kTicksPerSecond = 10000000;
constexpr int64_t kTicksPerDay = kTicksPerSecond * 86400;
constexpr int64_t kDaysFrom1601To1970 = 134774;

// Days since 1970-01-01 of a date of the proleptic Gregorian calendar, and back.
int64_t DaysFromCivil(int64_t year, unsigned month, unsigned day)
{
    year -= month <= 2;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const unsigned yearOfEra = static_cast<unsigned>(year - era * 400);
    const unsigned dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<int64_t>(dayOfEra) - 719468;
}

void CivilFromDays(int64_t days, int64_t& year, unsigned& month, unsigned& day)
{
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const unsigned dayOfEra = static_cast<unsigned>(days - era * 146097);
    const unsigned yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const unsigned mp = (5 * dayOfYear + 2) / 153;
    day = dayOfYear - (153 * mp + 2) / 5 + 1;
    month = mp < 10 ? mp + 3 : mp - 9;
    year = static_cast<int64_t>(yearOfEra) + era * 400 + (month <= 2);
}

unsigned DaysInMonth(unsigned year, unsigned month)
{
    static const unsigned days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

int64_t TicksOf(const FILETIME& time)
{
    return static_cast<int64_t>((static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
}

FILETIME FileTimeOf(int64_t ticks)
{
    FILETIME time;
    time.dwLowDateTime = static_cast<DWORD>(static_cast<uint64_t>(ticks));
    time.dwHighDateTime = static_cast<DWORD>(static_cast<uint64_t>(ticks) >> 32);
    return time;
}

// Ticks since 1601 of a time given as seconds and nanoseconds since 1970.
int64_t TicksOfUnix(int64_t seconds, int64_t nanoseconds)
{
    return (seconds + kDaysFrom1601To1970 * 86400) * kTicksPerSecond + nanoseconds / 100;
}

SYSTEMTIME SystemTimeOf(int64_t ticks)
{
    const int64_t days = ticks / kTicksPerDay;
    int64_t rest = ticks % kTicksPerDay;
    int64_t year = 0;
    unsigned month = 0, day = 0;
    CivilFromDays(days - kDaysFrom1601To1970, year, month, day);
    SYSTEMTIME time;
    time.wYear = static_cast<WORD>(year);
    time.wMonth = static_cast<WORD>(month);
    time.wDay = static_cast<WORD>(day);
    time.wDayOfWeek = static_cast<WORD>((days + 1) % 7); // 1601-01-01 was a Monday
    time.wHour = static_cast<WORD>(rest / (kTicksPerSecond * 3600));
    rest %= kTicksPerSecond * 3600;
    time.wMinute = static_cast<WORD>(rest / (kTicksPerSecond * 60));
    rest %= kTicksPerSecond * 60;
    time.wSecond = static_cast<WORD>(rest / kTicksPerSecond);
    time.wMilliseconds = static_cast<WORD>(rest % kTicksPerSecond / 10000);
    return time;
}

bool TicksOfSystemTime(const SYSTEMTIME& time, int64_t& ticks)
{
    if (time.wYear < 1601 || time.wYear > 30827 || time.wMonth < 1 || time.wMonth > 12 || time.wDay < 1 ||
        time.wDay > DaysInMonth(time.wYear, time.wMonth) || time.wHour > 23 || time.wMinute > 59 ||
        time.wSecond > 59 || time.wMilliseconds > 999)
        return false;
    const int64_t days = DaysFromCivil(time.wYear, time.wMonth, time.wDay) + kDaysFrom1601To1970;
    ticks = days * kTicksPerDay +
            ((time.wHour * 3600 + time.wMinute * 60 + time.wSecond) * 1000 + time.wMilliseconds) * 10000LL;
    return true;
}

timespec Now(clockid_t clock)
{
    timespec now {};
    clock_gettime(clock, &now);
    return now;
}

// The local zone's offset from UTC, in seconds, at a moment given in seconds since 1970.
long LocalOffset(time_t moment)
{
    tm local {};
    return localtime_r(&moment, &local) ? local.tm_gmtoff : 0;
}

BOOL Fail(DWORD error)
{
    SetLastError(error);
    return FALSE;
}

BOOL ShiftFileTime(const FILETIME* from, LPFILETIME to, int direction)
{
    if (!from || !to)
        return Fail(ERROR_INVALID_PARAMETER);
    const int64_t ticks = TicksOf(*from);
    const int64_t shift = direction * LocalOffset(time(nullptr)) * kTicksPerSecond;
    if (ticks < 0 || (shift > 0 && ticks > INT64_MAX - shift) || ticks + shift < 0)
        return Fail(ERROR_INVALID_PARAMETER);
    const int64_t shifted = ticks + shift;
    *to = FileTimeOf(shifted);
    return TRUE;
}

} // namespace

void Sleep(DWORD milliseconds)
{
    if (milliseconds == 0) {
        sched_yield();
        return;
    }
    if (milliseconds == INFINITE) {
        for (;;)
            pause();
    }
    timespec remaining {static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000};
    while (nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
    }
}

ULONGLONG GetTickCount64()
{
    const timespec now = Now(CLOCK_BOOTTIME);
    return static_cast<ULONGLONG>(now.tv_sec) * 1000 + static_cast<ULONGLONG>(now.tv_nsec) / 1000000;
}

DWORD GetTickCount() { return static_cast<DWORD>(GetTickCount64()); }

void GetSystemTimeAsFileTime(LPFILETIME fileTime)
{
    const timespec now = Now(CLOCK_REALTIME);
    *fileTime = FileTimeOf(TicksOfUnix(now.tv_sec, now.tv_nsec));
}

void GetSystemTime(LPSYSTEMTIME systemTime)
{
    const timespec now = Now(CLOCK_REALTIME);
    *systemTime = SystemTimeOf(TicksOfUnix(now.tv_sec, now.tv_nsec));
}

void GetLocalTime(LPSYSTEMTIME localTime)
{
    const timespec now = Now(CLOCK_REALTIME);
    *localTime = SystemTimeOf(TicksOfUnix(now.tv_sec + LocalOffset(now.tv_sec), now.tv_nsec));
}

BOOL FileTimeToSystemTime(const FILETIME* fileTime, LPSYSTEMTIME systemTime)
{
    if (!fileTime || !systemTime || TicksOf(*fileTime) < 0)
        return Fail(ERROR_INVALID_PARAMETER);
    *systemTime = SystemTimeOf(TicksOf(*fileTime));
    return TRUE;
}

BOOL SystemTimeToFileTime(const SYSTEMTIME* systemTime, LPFILETIME fileTime)
{
    int64_t ticks = 0;
    if (!systemTime || !fileTime || !TicksOfSystemTime(*systemTime, ticks))
        return Fail(ERROR_INVALID_PARAMETER);
    *fileTime = FileTimeOf(ticks);
    return TRUE;
}

BOOL FileTimeToLocalFileTime(const FILETIME* fileTime, LPFILETIME localFileTime)
{
    return ShiftFileTime(fileTime, localFileTime, +1);
}

BOOL LocalFileTimeToFileTime(const FILETIME* localFileTime, LPFILETIME fileTime)
{
    return ShiftFileTime(localFileTime, fileTime, -1);
}

BOOL SystemTimeToTzSpecificLocalTime(const TIME_ZONE_INFORMATION* timeZone, const SYSTEMTIME* universalTime,
                                     LPSYSTEMTIME localTime)
{
    if (timeZone)
        return Fail(ERROR_NOT_SUPPORTED);
    int64_t ticks = 0;
    if (!universalTime || !localTime || !TicksOfSystemTime(*universalTime, ticks))
        return Fail(ERROR_INVALID_PARAMETER);
    const int64_t unixTicks = ticks - kDaysFrom1601To1970 * kTicksPerDay;
    const int64_t seconds = unixTicks >= 0 ? unixTicks / kTicksPerSecond : -((-unixTicks - 1) / kTicksPerSecond) - 1;
    const int64_t shifted = ticks + LocalOffset(static_cast<time_t>(seconds)) * kTicksPerSecond;
    if (shifted < 0)
        return Fail(ERROR_INVALID_PARAMETER);
    *localTime = SystemTimeOf(shifted);
    return TRUE;
}

BOOL QueryPerformanceCounter(LARGE_INTEGER* count)
{
    if (!count)
        return Fail(ERROR_INVALID_PARAMETER);
    const timespec now = Now(CLOCK_MONOTONIC);
    count->QuadPart = static_cast<LONGLONG>(now.tv_sec) * kTicksPerSecond + now.tv_nsec / 100;
    return TRUE;
}

BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency)
{
    if (!frequency)
        return Fail(ERROR_INVALID_PARAMETER);
    frequency->QuadPart = kTicksPerSecond;
    return TRUE;
}
