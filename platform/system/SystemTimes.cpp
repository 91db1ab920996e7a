#include "platform/win/SystemInfo.h"

#include <fstream>
#include <string>
#include <unistd.h>

namespace {

void StoreFileTime(PFILETIME time, unsigned long long ticks, long ticksPerSecond)
{
    if (!time)
        return;
    // FILETIME counts 100-nanosecond intervals.
    const unsigned long long intervals = ticks / ticksPerSecond * 10000000ull + ticks % ticksPerSecond * 10000000ull / ticksPerSecond;
    time->dwLowDateTime = static_cast<DWORD>(intervals & 0xFFFFFFFFu);
    time->dwHighDateTime = static_cast<DWORD>(intervals >> 32);
}

} // namespace

BOOL GetSystemTimes(PFILETIME idleTime, PFILETIME kernelTime, PFILETIME userTime)
{
    std::ifstream in("/proc/stat");
    std::string label;
    unsigned long long user = 0, nice = 0, system = 0, idle = 0, iowait = 0, irq = 0, softirq = 0, steal = 0;
    in >> label >> user >> nice >> system >> idle >> iowait >> irq >> softirq >> steal;
    const long ticksPerSecond = sysconf(_SC_CLK_TCK);
    if (label != "cpu" || ticksPerSecond <= 0) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return FALSE;
    }
    const unsigned long long idleTicks = idle + iowait;
    StoreFileTime(idleTime, idleTicks, ticksPerSecond);
    StoreFileTime(kernelTime, system + irq + softirq + steal + idleTicks, ticksPerSecond);
    StoreFileTime(userTime, user + nice, ticksPerSecond);
    return TRUE;
}
