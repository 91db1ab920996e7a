// Where the junk monitor and its pop-ups take the time of day, the tick count and the processor's
// times from. The program uses the machine's own; a test hands the monitor a source of its own
// through the constructor, which nothing outside the code can reach.
#pragma once

#include "platform/Windows.h"

#include <QDate>

#include <memory>

class IMonitorSources {
public:
    virtual ~IMonitorSources() = default;
    // Times of all processors since start-up, the kernel time including the idle time.
    virtual bool SystemTimes(FILETIME* idle, FILETIME* kernel, FILETIME* user) = 0;
    // Milliseconds since the machine started, wrapping at 32 bits.
    virtual DWORD TickCount() = 0;
    virtual QDate Today() = 0;
};

// The machine's clock and processor times.
std::shared_ptr<IMonitorSources> MachineSources();
