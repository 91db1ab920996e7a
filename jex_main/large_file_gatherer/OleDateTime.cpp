#include "OleDateTime.h"

#include <cmath>

namespace {

constexpr int kSecondsPerDay = 86400;
// Days from 1 March of year 0 (proleptic Gregorian) to 30 December 1899.
constexpr int64_t kBaseDay = 693899;
constexpr DATE kLowestDate = -657434.0;   // 1 January 100
constexpr DATE kHighestDate = 2958466.0;  // 1 January 10000

// Days since 1 March of year 0 for a Gregorian calendar day.
int64_t DayNumber(int64_t year, int64_t month, int64_t day)
{
    if (month <= 2) {
        year -= 1;
        month += 12;
    }
    return 365 * year + year / 4 - year / 100 + year / 400 + (153 * (month - 3) + 2) / 5 + day - 1;
}

void CalendarDay(int64_t dayNumber, SYSTEMTIME& time)
{
    const int64_t era = dayNumber / 146097;
    const int64_t dayOfEra = dayNumber - era * 146097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;
    const int64_t month = shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9;
    time.wYear = static_cast<WORD>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
    time.wMonth = static_cast<WORD>(month);
    time.wDay = static_cast<WORD>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
    time.wDayOfWeek = static_cast<WORD>((dayNumber + 3) % 7);
}

int DaysInMonth(int year, int month)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

bool SameCalendarTime(const SYSTEMTIME& a, const SYSTEMTIME& b)
{
    return a.wYear == b.wYear && a.wMonth == b.wMonth && a.wDay == b.wDay && a.wHour == b.wHour &&
           a.wMinute == b.wMinute && a.wSecond == b.wSecond;
}

} // namespace

COleDateTime::COleDateTime(const SYSTEMTIME& time)
{
    if (time.wYear < 100 || time.wYear > 9999 || time.wMonth < 1 || time.wMonth > 12 || time.wDay < 1 ||
        time.wDay > DaysInMonth(time.wYear, time.wMonth) || time.wHour > 23 || time.wMinute > 59 || time.wSecond > 59) {
        m_status = invalid;
        return;
    }
    const int64_t days = DayNumber(time.wYear, time.wMonth, time.wDay) - kBaseDay;
    const double fraction = (time.wHour * 3600 + time.wMinute * 60 + time.wSecond) / static_cast<double>(kSecondsPerDay);
    m_dt = days >= 0 ? static_cast<double>(days) + fraction : static_cast<double>(days) - fraction;
}

COleDateTime COleDateTime::FromFileTime(const FILETIME& fileTime)
{
    COleDateTime date;
    FILETIME local{};
    SYSTEMTIME time{};
    SYSTEMTIME back{};
    if (!FileTimeToLocalFileTime(&fileTime, &local) || !FileTimeToSystemTime(&local, &time)) {
        date.m_status = invalid;
        return date;
    }
    date = COleDateTime(time);
    if (date.m_status == valid && (!date.GetAsSystemTime(back) || !SameCalendarTime(time, back)))
        date.m_status = invalid;
    return date;
}

bool COleDateTime::GetAsSystemTime(SYSTEMTIME& time) const
{
    if (m_status != valid || !(m_dt >= kLowestDate && m_dt < kHighestDate))
        return false;
    int64_t days = static_cast<int64_t>(m_dt >= 0 ? std::floor(m_dt) : std::ceil(m_dt));
    int64_t seconds = std::llround(std::fabs(m_dt - static_cast<double>(days)) * kSecondsPerDay);
    if (seconds >= kSecondsPerDay) {
        seconds -= kSecondsPerDay;
        days += 1;
    }
    time = SYSTEMTIME{};
    CalendarDay(days + kBaseDay, time);
    time.wHour = static_cast<WORD>(seconds / 3600);
    time.wMinute = static_cast<WORD>(seconds / 60 % 60);
    time.wSecond = static_cast<WORD>(seconds % 60);
    return true;
}

double COleDateTime::Linear(DATE date)
{
    if (date >= 0)
        return date;
    const double day = std::ceil(date);
    return day - (date - day);
}
