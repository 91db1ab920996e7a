// A date and time as OLE Automation keeps it (days since 30 December 1899 in a double, the time of
// day as the fraction, whose sign follows the day), with a status. 12 bytes, as the gatherer's
// records carry it.
#pragma once

#include "platform/Windows.h"

#include <cstdint>

typedef double DATE;

#pragma pack(push, 1)
class COleDateTime {
public:
    enum DateTimeStatus : int32_t { valid = 0, invalid = 1, null = 2 };

    COleDateTime() = default;
    explicit COleDateTime(DATE date) : m_dt(date) {}
    // Invalid when a field is out of range (years 100 to 9999).
    explicit COleDateTime(const SYSTEMTIME& time);

    // A file's time (UTC) in local time: file time to local file time, to calendar time, to a
    // date; invalid when a step fails or the date does not give back the same calendar time.
    static COleDateTime FromFileTime(const FILETIME& fileTime);

    DateTimeStatus GetStatus() const { return m_status; }
    void SetStatus(DateTimeStatus status) { m_status = status; }

    // The calendar time to the nearest second; false for a date that is not valid.
    bool GetAsSystemTime(SYSTEMTIME& time) const;

    // Dates compare as points in time: a negative date (before the base day) counts as its day
    // minus its time of day.
    bool operator<(const COleDateTime& other) const { return Linear(m_dt) < Linear(other.m_dt); }
    bool operator>(const COleDateTime& other) const { return other < *this; }
    bool operator==(const COleDateTime& other) const { return Linear(m_dt) == Linear(other.m_dt); }

    DATE m_dt = 0;
    DateTimeStatus m_status = valid;

private:
    static double Linear(DATE date);
};
#pragma pack(pop)

static_assert(sizeof(COleDateTime) == 12, "the records carry a 12-byte date");
