// Clocks and Windows' time records. A FILETIME counts 100 ns steps since 1601-01-01 00:00 UTC.
#pragma once

#include "platform/win/Types.h"

#pragma GCC visibility push(default)

typedef struct _TIME_ZONE_INFORMATION TIME_ZONE_INFORMATION, *LPTIME_ZONE_INFORMATION;

// Sleep(0) gives up the rest of the time slice; Sleep(INFINITE) never returns.
void Sleep(DWORD milliseconds);

// Milliseconds since the machine started (wrapping after 49.7 days for the 32-bit count).
DWORD GetTickCount();
ULONGLONG GetTickCount64();

void GetSystemTime(LPSYSTEMTIME systemTime);
void GetLocalTime(LPSYSTEMTIME localTime);
void GetSystemTimeAsFileTime(LPFILETIME fileTime);

// Conversions fail with ERROR_INVALID_PARAMETER for values outside Windows' range (years
// 1601..30827, a FILETIME below 2^63) or fields outside their ranges; wDayOfWeek is ignored on
// input and computed on output.
BOOL FileTimeToSystemTime(const FILETIME* fileTime, LPSYSTEMTIME systemTime);
BOOL SystemTimeToFileTime(const SYSTEMTIME* systemTime, LPFILETIME fileTime);

// As on Windows, these two apply the local zone's offset of the present moment, whatever the
// date converted.
BOOL FileTimeToLocalFileTime(const FILETIME* fileTime, LPFILETIME localFileTime);
BOOL LocalFileTimeToFileTime(const FILETIME* localFileTime, LPFILETIME fileTime);

// The local time of a UTC time by the local zone's rules at that date; only the local zone is
// known (timeZone must be null).
BOOL SystemTimeToTzSpecificLocalTime(const TIME_ZONE_INFORMATION* timeZone, const SYSTEMTIME* universalTime,
                                     LPSYSTEMTIME localTime);

// A monotonic counter at 10 MHz.
BOOL QueryPerformanceCounter(LARGE_INTEGER* count);
BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency);

#pragma GCC visibility pop
