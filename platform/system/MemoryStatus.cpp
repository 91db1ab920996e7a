#include "platform/win/SystemInfo.h"

#include "platform/Machine.h"

#include <algorithm>
#include <fstream>
#include <map>
#include <string>

namespace {

// The fields of /proc/meminfo in bytes.
std::map<std::string, DWORDLONG> ReadMemInfo()
{
    std::map<std::string, DWORDLONG> fields;
    std::ifstream in("/proc/meminfo");
    std::string name;
    DWORDLONG kilobytes = 0;
    std::string unit;
    while (in >> name >> kilobytes) {
        std::getline(in, unit);
        if (!name.empty() && name.back() == ':')
            name.pop_back();
        fields[name] = kilobytes * 1024;
    }
    return fields;
}

// The address space of this process's own mappings, from /proc/self/statm.
DWORDLONG UsedAddressSpace()
{
    std::ifstream in("/proc/self/statm");
    DWORDLONG pages = 0;
    in >> pages;
    return pages * 4096;
}

} // namespace

BOOL GlobalMemoryStatusEx(LPMEMORYSTATUSEX status)
{
    if (!status || status->dwLength != sizeof(MEMORYSTATUSEX)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    auto fields = ReadMemInfo();
    const DWORDLONG total = fields["MemTotal"];
    if (total == 0) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return FALSE;
    }
    DWORDLONG available = fields.count("MemAvailable") ? fields["MemAvailable"]
                                                       : fields["MemFree"] + fields["Buffers"] + fields["Cached"];
    available = std::min(available, total);
    // A 32-bit large-address-aware process has 4 GB less 64 KB under WOW64, 2 GB on 32-bit Windows.
    const DWORDLONG virtualTotal = platform::Machine().is64BitWindows ? 0xFFFE0000ull : 0x7FFE0000ull;

    status->dwMemoryLoad = static_cast<DWORD>((total - available) * 100 / total);
    status->ullTotalPhys = total;
    status->ullAvailPhys = available;
    status->ullTotalPageFile = total + fields["SwapTotal"];
    status->ullAvailPageFile = available + std::min(fields["SwapFree"], fields["SwapTotal"]);
    status->ullTotalVirtual = virtualTotal;
    status->ullAvailVirtual = virtualTotal - std::min(UsedAddressSpace(), virtualTotal);
    status->ullAvailExtendedVirtual = 0;
    return TRUE;
}
