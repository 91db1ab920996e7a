// A SYSTEMTIME of a given calendar date and time of day, for tests that compare or convert dates.
#pragma once

#include "platform/Windows.h"

namespace testing_support {

inline SYSTEMTIME CalendarTime(WORD year, WORD month, WORD day, WORD hour = 0, WORD minute = 0, WORD second = 0,
                               WORD milliseconds = 0)
{
    SYSTEMTIME time {};
    time.wYear = year;
    time.wMonth = month;
    time.wDay = day;
    time.wHour = hour;
    time.wMinute = minute;
    time.wSecond = second;
    time.wMilliseconds = milliseconds;
    return time;
}

} // namespace testing_support
