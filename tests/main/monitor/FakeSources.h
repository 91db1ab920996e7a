// A clock and processor times the test steers, handed to the monitor in place of the machine's.
#pragma once

#include "MonitorSources.h"

#include <cstdint>

class CFakeSources : public IMonitorSources {
public:
    bool SystemTimes(FILETIME* idle, FILETIME* kernel, FILETIME* user) override
    {
        Store(idle, idle_);
        Store(kernel, kernel_);
        Store(user, user_);
        return true;
    }
    DWORD TickCount() override { return tick; }
    QDate Today() override { return today; }

    // One more second of processor time at this load (percent), kernel and user time alike.
    void Run(int percent)
    {
        const uint64_t second = 10000000;
        const uint64_t busy = second * static_cast<uint64_t>(percent) / 100;
        idle_ += second - busy;
        kernel_ += second - busy + busy / 2;
        user_ += busy - busy / 2;
    }

    DWORD tick = 1000;
    QDate today {2026, 12, 5};

private:
    static void Store(FILETIME* time, uint64_t value)
    {
        time->dwLowDateTime = static_cast<DWORD>(value);
        time->dwHighDateTime = static_cast<DWORD>(value >> 32);
    }

    uint64_t idle_ = 0;
    uint64_t kernel_ = 0;
    uint64_t user_ = 0;
};
