#include "platform/Windows.h"

#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <cwctype>
#include <set>

using testing_support::TempMachine;

namespace {

const HANDLE kCurrentProcess = reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1));

ULONGLONG Ticks(const FILETIME& time) { return static_cast<ULONGLONG>(time.dwHighDateTime) << 32 | time.dwLowDateTime; }

} // namespace

TEST(Versions, GetVersionExAnswersTheReportedVersionAndRtlTheTrueOne)
{
    TempMachine machine;
    machine.WriteMachineIni(
        "[Machine]\nWindowsVersion=6.2.9200\nTrueVersion=10.0.19045\nServicePack=1\nCSDVersion=Service Pack 1\n");

    OSVERSIONINFOEXW ex{};
    ex.dwOSVersionInfoSize = sizeof(ex);
    ASSERT_TRUE(GetVersionExW(reinterpret_cast<LPOSVERSIONINFOW>(&ex)));
    EXPECT_EQ(ex.dwMajorVersion, 6u);
    EXPECT_EQ(ex.dwMinorVersion, 2u);
    EXPECT_EQ(ex.dwBuildNumber, 9200u);
    EXPECT_EQ(ex.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_NT));
    EXPECT_STREQ(ex.szCSDVersion, L"Service Pack 1");
    EXPECT_EQ(ex.wServicePackMajor, 1);
    EXPECT_EQ(ex.wProductType, VER_NT_WORKSTATION);

    OSVERSIONINFOW plain{};
    plain.dwOSVersionInfoSize = sizeof(plain);
    ASSERT_TRUE(GetVersionExW(&plain));
    EXPECT_EQ(plain.dwMajorVersion, 6u);
    plain.dwOSVersionInfoSize = sizeof(plain) - 1;
    EXPECT_FALSE(GetVersionExW(&plain));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));

    DWORD major = 0, minor = 1, build = 0;
    RtlGetNtVersionNumbers(&major, &minor, &build);
    EXPECT_EQ(major, 10u);
    EXPECT_EQ(minor, 0u);
    EXPECT_EQ(build, 0xF0000000u | 19045u);
    EXPECT_EQ(build & 0xFFFF, 19045u);
}

TEST(Architecture, OnA64BitMachineTheProcessIsA32BitOneUnderWow64)
{
    TempMachine machine;
    SYSTEM_INFO native{}, seen{};
    GetNativeSystemInfo(&native);
    GetSystemInfo(&seen);
    EXPECT_EQ(native.wProcessorArchitecture, PROCESSOR_ARCHITECTURE_AMD64);
    EXPECT_EQ(seen.wProcessorArchitecture, PROCESSOR_ARCHITECTURE_INTEL);
    EXPECT_EQ(seen.dwPageSize, 4096u);
    EXPECT_GE(seen.dwNumberOfProcessors, 1u);
    EXPECT_LE(seen.dwNumberOfProcessors, 32u);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(seen.lpMaximumApplicationAddress), 0xFFFEFFFFu);
    BOOL wow64 = FALSE;
    ASSERT_TRUE(IsWow64Process(kCurrentProcess, &wow64));
    EXPECT_TRUE(wow64);
}

TEST(Architecture, OnA32BitMachineBothViewsAreIntelWithoutWow64)
{
    TempMachine machine;
    machine.WriteMachineIni("[Machine]\nIs64Bit=0\n");
    SYSTEM_INFO native{};
    GetNativeSystemInfo(&native);
    EXPECT_EQ(native.wProcessorArchitecture, PROCESSOR_ARCHITECTURE_INTEL);
    BOOL wow64 = TRUE;
    ASSERT_TRUE(IsWow64Process(kCurrentProcess, &wow64));
    EXPECT_FALSE(wow64);
}

TEST(Memory, StatusComesFromTheHostAndChecksTheRecordSize)
{
    TempMachine machine;
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof(status) - 8;
    EXPECT_FALSE(GlobalMemoryStatusEx(&status));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

    status.dwLength = sizeof(status);
    ASSERT_TRUE(GlobalMemoryStatusEx(&status));
    EXPECT_GT(status.ullTotalPhys, 0u);
    EXPECT_LE(status.ullAvailPhys, status.ullTotalPhys);
    EXPECT_LE(status.dwMemoryLoad, 100u);
    EXPECT_GE(status.ullTotalPageFile, status.ullTotalPhys);
    EXPECT_EQ(status.ullTotalVirtual, 0xFFFE0000u);
    EXPECT_LE(status.ullAvailVirtual, status.ullTotalVirtual);
}

TEST(CpuTimes, KernelTimeIncludesIdleTimeAndTheTimesGrow)
{
    FILETIME idle1, kernel1, user1, idle2, kernel2, user2;
    ASSERT_TRUE(GetSystemTimes(&idle1, &kernel1, &user1));
    volatile unsigned long spin = 0;
    for (unsigned long i = 0; i < 50000000ul; ++i)
        spin = spin + i;
    ASSERT_TRUE(GetSystemTimes(&idle2, &kernel2, &user2));
    EXPECT_LE(Ticks(idle1), Ticks(kernel1));
    EXPECT_GE(Ticks(kernel2), Ticks(kernel1));
    EXPECT_GE(Ticks(user2), Ticks(user1));
    EXPECT_GT(Ticks(kernel2) + Ticks(user2), Ticks(kernel1) + Ticks(user1));
    EXPECT_TRUE(GetSystemTimes(nullptr, nullptr, &user1));
}

TEST(Names, ComputerAndUserNamesFollowWindowsBufferRules)
{
    TempMachine machine;
    machine.WriteMachineIni("[Machine]\nComputerName=WORKSTATION-7\nUserName=Alex\n");
    wchar_t buffer[64];
    DWORD size = 5;
    EXPECT_FALSE(GetComputerNameW(buffer, &size));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BUFFER_OVERFLOW));
    EXPECT_EQ(size, 14u);
    ASSERT_TRUE(GetComputerNameW(buffer, &size));
    EXPECT_EQ(size, 13u);
    EXPECT_STREQ(buffer, L"WORKSTATION-7");

    size = 4;
    EXPECT_FALSE(GetUserNameW(buffer, &size));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(size, 5u);
    ASSERT_TRUE(GetUserNameW(buffer, &size));
    EXPECT_EQ(size, 5u);
    EXPECT_STREQ(buffer, L"Alex");
}

TEST(Guids, AreRandomVersion4AndWrittenInWindowsForms)
{
    std::set<std::wstring> seen;
    for (int i = 0; i < 100; ++i) {
        GUID guid{};
        ASSERT_EQ(CoCreateGuid(&guid), S_OK);
        EXPECT_EQ(guid.Data3 >> 12, 4);
        EXPECT_EQ(guid.Data4[0] & 0xC0, 0x80);
        wchar_t text[39];
        ASSERT_EQ(StringFromGUID2(guid, text, 39), 39);
        seen.insert(text);
    }
    EXPECT_EQ(seen.size(), 100u);

    const GUID known = {0x0123ABCD, 0x4567, 0x89EF, {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}};
    wchar_t text[39];
    EXPECT_EQ(StringFromGUID2(known, text, 38), 0);
    ASSERT_EQ(StringFromGUID2(known, text, 39), 39);
    EXPECT_STREQ(text, L"{0123ABCD-4567-89EF-0123-456789ABCDEF}");

    UUID uuid{};
    ASSERT_EQ(UuidCreate(&uuid), RPC_S_OK);
    RPC_WSTR plain = nullptr;
    ASSERT_EQ(UuidToStringW(&known, &plain), RPC_S_OK);
    EXPECT_STREQ(plain, L"0123abcd-4567-89ef-0123-456789abcdef");
    RpcStringFreeW(&plain);
    EXPECT_EQ(plain, nullptr);
}
