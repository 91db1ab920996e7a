#include "platform/win/SystemInfo.h"

#include "platform/Machine.h"

#include "BufferRules.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

// The processor's family, model and stepping as /proc/cpuinfo tells them.
struct CpuIdentity {
    WORD family = 6;
    WORD model = 0;
    WORD stepping = 0;
};

CpuIdentity ReadCpuIdentity()
{
    CpuIdentity cpu;
    std::ifstream in("/proc/cpuinfo");
    std::string line;
    while (std::getline(in, line) && !line.empty()) {
        const auto colon = line.find(':');
        if (colon == std::string::npos)
            continue;
        const std::string key = line.substr(0, line.find_last_not_of(" \t", colon - 1) + 1);
        const auto value = static_cast<WORD>(std::strtoul(line.c_str() + colon + 1, nullptr, 10));
        if (key == "cpu family")
            cpu.family = value;
        else if (key == "model")
            cpu.model = value;
        else if (key == "stepping")
            cpu.stepping = value;
    }
    return cpu;
}

void FillSystemInfo(LPSYSTEM_INFO info, bool native)
{
    if (!info)
        return;
    static const CpuIdentity cpu = ReadCpuIdentity();
    const bool wow64 = platform::Machine().is64BitWindows;
    const bool amd64 = native && wow64;
    // A 32-bit process sees at most 32 processors and, being large-address aware, 4 GB less 64 KB
    // on 64-bit Windows (2 GB on 32-bit Windows).
    const long online = std::max(1L, sysconf(_SC_NPROCESSORS_ONLN));
    const DWORD processors = static_cast<DWORD>(amd64 ? std::min(online, 64L) : std::min(online, 32L));
    uintptr_t highest = 0x7FFEFFFF;
    if (amd64)
        highest = static_cast<uintptr_t>(0x7FFFFFFEFFFFull);
    else if (wow64)
        highest = 0xFFFEFFFF;

    std::memset(info, 0, sizeof(*info));
    info->wProcessorArchitecture = amd64 ? PROCESSOR_ARCHITECTURE_AMD64 : PROCESSOR_ARCHITECTURE_INTEL;
    info->dwPageSize = 4096;
    info->lpMinimumApplicationAddress = reinterpret_cast<LPVOID>(static_cast<uintptr_t>(0x10000));
    info->lpMaximumApplicationAddress = reinterpret_cast<LPVOID>(highest);
    info->dwActiveProcessorMask = processors >= 64 ? ~DWORD_PTR{0} : (DWORD_PTR{1} << processors) - 1;
    info->dwNumberOfProcessors = processors;
    info->dwProcessorType = amd64 ? PROCESSOR_AMD_X8664 : PROCESSOR_INTEL_PENTIUM;
    info->dwAllocationGranularity = 0x10000;
    info->wProcessorLevel = cpu.family;
    info->wProcessorRevision = static_cast<WORD>((cpu.model << 8) | (cpu.stepping & 0xFF));
}

// The name queries differ only in whether the size handed back counts the terminator and in the
// error for a buffer too small (whose size needed always counts it).
BOOL CopyName(const std::wstring& name, LPWSTR buffer, LPDWORD size, bool sizeCountsTerminator, DWORD tooSmall)
{
    if (!size) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const bool fits = platform::CopyOrMeasure(name, buffer, *size) == name.size();
    *size = static_cast<DWORD>(name.size() + (fits && !sizeCountsTerminator ? 0 : 1));
    if (!fits) {
        SetLastError(tooSmall);
        return FALSE;
    }
    return TRUE;
}

} // namespace

BOOL GetVersionExW(LPOSVERSIONINFOW info)
{
    if (!info) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const DWORD size = info->dwOSVersionInfoSize;
    if (size != sizeof(OSVERSIONINFOW) && size != sizeof(OSVERSIONINFOEXW)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    const platform::WindowsVersion& version = platform::Machine().reportedVersion;
    std::memset(info, 0, size);
    info->dwOSVersionInfoSize = size;
    info->dwMajorVersion = version.major;
    info->dwMinorVersion = version.minor;
    info->dwBuildNumber = version.build;
    info->dwPlatformId = VER_PLATFORM_WIN32_NT;
    const size_t csdLength = std::min(version.csdVersion.size(), std::size(info->szCSDVersion) - 1);
    std::copy_n(version.csdVersion.begin(), csdLength, info->szCSDVersion);
    if (size == sizeof(OSVERSIONINFOEXW)) {
        auto* ex = reinterpret_cast<LPOSVERSIONINFOEXW>(info);
        ex->wServicePackMajor = static_cast<WORD>(version.servicePackMajor);
        ex->wSuiteMask = VER_SUITE_SINGLEUSERTS;
        ex->wProductType = VER_NT_WORKSTATION;
    }
    return TRUE;
}

void RtlGetNtVersionNumbers(LPDWORD major, LPDWORD minor, LPDWORD build)
{
    const platform::WindowsVersion& version = platform::Machine().trueVersion;
    if (major)
        *major = version.major;
    if (minor)
        *minor = version.minor;
    if (build)
        *build = 0xF0000000u | (version.build & 0xFFFF);
}

void GetNativeSystemInfo(LPSYSTEM_INFO info) { FillSystemInfo(info, true); }

void GetSystemInfo(LPSYSTEM_INFO info) { FillSystemInfo(info, false); }

BOOL IsWow64Process(HANDLE process, PBOOL wow64)
{
    if (!process) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!wow64) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *wow64 = platform::Machine().is64BitWindows ? TRUE : FALSE;
    return TRUE;
}

BOOL GetComputerNameW(LPWSTR buffer, LPDWORD size)
{
    return CopyName(platform::Machine().computerName, buffer, size, false, ERROR_BUFFER_OVERFLOW);
}

BOOL GetUserNameW(LPWSTR buffer, LPDWORD size)
{
    return CopyName(platform::Machine().userName, buffer, size, true, ERROR_INSUFFICIENT_BUFFER);
}
