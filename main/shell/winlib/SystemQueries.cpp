#include "winlib/SystemQueries.h"

#include "common/ProcAddress.h"

namespace {

typedef void (*RtlGetNtVersionNumbersFn)(DWORD* major, DWORD* minor, DWORD* build);

} // namespace

bool IsNativeAmd64()
{
    SYSTEM_INFO info = {};
    GetNativeSystemInfo(&info);
    return info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64;
}

bool GetOsVersion(OSVERSIONINFOEXW& version)
{
    version = OSVERSIONINFOEXW();
    version.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXW);
    auto* plain = reinterpret_cast<OSVERSIONINFOW*>(&version);
    if (!GetVersionExW(plain)) {
        version.dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
        if (!GetVersionExW(plain))
            return false;
    }

    HMODULE ntdll = LoadLibraryW(L"Ntdll.dll");
    if (!ntdll)
        return true;
    if (const auto trueNumbers = ProcAddress<RtlGetNtVersionNumbersFn>(ntdll, "RtlGetNtVersionNumbers")) {
        DWORD major = 0;
        DWORD minor = 0;
        DWORD build = 0;
        trueNumbers(&major, &minor, &build);
        version.dwMajorVersion = major;
        version.dwMinorVersion = minor;
        version.dwBuildNumber = build & 0xFFFF;
    }
    FreeLibrary(ntdll);
    return true;
}
