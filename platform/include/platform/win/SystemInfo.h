// Versions, processor architecture, WOW64 and its file-system redirection, memory and CPU times,
// the machine's and user's names, and GUIDs. The system's programs are 32-bit programs: on a
// 64-bit machine they run under WOW64 and see what a 32-bit process sees there.
#pragma once

#include "platform/win/Errors.h"
#include "platform/win/Types.h"

#include <string>

#pragma GCC visibility push(default)


// ---- Versions

#define VER_PLATFORM_WIN32_NT 2
#define VER_NT_WORKSTATION 0x0000001
#define VER_SUITE_SINGLEUSERTS 0x00000100

typedef struct _OSVERSIONINFOW {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    WCHAR szCSDVersion[128];
} OSVERSIONINFOW, *POSVERSIONINFOW, *LPOSVERSIONINFOW;

typedef struct _OSVERSIONINFOEXW {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    WCHAR szCSDVersion[128];
    WORD wServicePackMajor;
    WORD wServicePackMinor;
    WORD wSuiteMask;
    BYTE wProductType;
    BYTE wReserved;
} OSVERSIONINFOEXW, *POSVERSIONINFOEXW, *LPOSVERSIONINFOEXW;

// The version the machine reports to programs; dwOSVersionInfoSize must be the size of one of the
// two records (else ERROR_INSUFFICIENT_BUFFER).
BOOL GetVersionExW(LPOSVERSIONINFOW info);
// The true version, whatever compatibility reports; the build number carries 0xF0000000 in its
// high bits, as Windows' own free builds do.
void RtlGetNtVersionNumbers(LPDWORD major, LPDWORD minor, LPDWORD build);

// ---- Processor and WOW64

#define PROCESSOR_ARCHITECTURE_INTEL 0
#define PROCESSOR_ARCHITECTURE_AMD64 9
#define PROCESSOR_ARCHITECTURE_UNKNOWN 0xffff
#define PROCESSOR_INTEL_PENTIUM 586
#define PROCESSOR_AMD_X8664 8664

typedef struct _SYSTEM_INFO {
    union {
        DWORD dwOemId;
        struct {
            WORD wProcessorArchitecture;
            WORD wReserved;
        };
    };
    DWORD dwPageSize;
    LPVOID lpMinimumApplicationAddress;
    LPVOID lpMaximumApplicationAddress;
    DWORD_PTR dwActiveProcessorMask;
    DWORD dwNumberOfProcessors;
    DWORD dwProcessorType;
    DWORD dwAllocationGranularity;
    WORD wProcessorLevel;
    WORD wProcessorRevision;
} SYSTEM_INFO, *LPSYSTEM_INFO;

// The machine as it is (AMD64 on 64-bit Windows) and as a 32-bit process sees it (always INTEL).
void GetNativeSystemInfo(LPSYSTEM_INFO info);
void GetSystemInfo(LPSYSTEM_INFO info);
// TRUE for every process of a 64-bit machine: all of them run as 32-bit processes.
BOOL IsWow64Process(HANDLE process, PBOOL wow64);

// The calling thread's file-system redirection: while it is on (the start on a 64-bit machine),
// paths below C:\Windows\System32 reach C:\Windows\SysWOW64. On 32-bit Windows the switches fail
// with ERROR_INVALID_FUNCTION.
BOOL Wow64DisableWow64FsRedirection(PVOID* oldValue);
BOOL Wow64RevertWow64FsRedirection(PVOID oldValue);
BOOLEAN Wow64EnableWow64FsRedirection(BOOLEAN enable);

// ---- Memory and CPU times

typedef struct _MEMORYSTATUSEX {
    DWORD dwLength;
    DWORD dwMemoryLoad;
    DWORDLONG ullTotalPhys;
    DWORDLONG ullAvailPhys;
    DWORDLONG ullTotalPageFile;
    DWORDLONG ullAvailPageFile;
    DWORDLONG ullTotalVirtual;
    DWORDLONG ullAvailVirtual;
    DWORDLONG ullAvailExtendedVirtual;
} MEMORYSTATUSEX, *LPMEMORYSTATUSEX;

// dwLength must be sizeof(MEMORYSTATUSEX).
BOOL GlobalMemoryStatusEx(LPMEMORYSTATUSEX status);
// Times of all processors since start-up; the kernel time includes the idle time, as on Windows.
BOOL GetSystemTimes(PFILETIME idleTime, PFILETIME kernelTime, PFILETIME userTime);

// ---- Names

#define MAX_COMPUTERNAME_LENGTH 15
#define UNLEN 256

// nSize in: the buffer's size; out: the length without the terminator, or, with
// ERROR_BUFFER_OVERFLOW, the size needed with it.
BOOL GetComputerNameW(LPWSTR buffer, LPDWORD size);
// size in: the buffer's size; out: the length with the terminator (also the size needed, with
// ERROR_INSUFFICIENT_BUFFER).
BOOL GetUserNameW(LPWSTR buffer, LPDWORD size);

// ---- GUIDs

typedef GUID UUID;
typedef WCHAR* LPOLESTR;
typedef WCHAR* RPC_WSTR;
typedef LONG RPC_STATUS;
#ifndef REFGUID
#define REFGUID const GUID&
#endif
#define RPC_S_OK 0L

// Random (version 4) GUIDs.
HRESULT CoCreateGuid(GUID* guid);
RPC_STATUS UuidCreate(UUID* uuid);
// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}": the characters written with the terminator (39), or 0
// when the buffer is smaller.
int StringFromGUID2(REFGUID guid, LPOLESTR text, int size);
// "xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx", allocated; freed with RpcStringFreeW.
RPC_STATUS UuidToStringW(const UUID* uuid, RPC_WSTR* text);
RPC_STATUS RpcStringFreeW(RPC_WSTR* text);

namespace platform {

// The redirection step of HostPath: on a 64-bit machine, while the calling thread's redirection
// is on, a path below C:\Windows\System32 is turned to C:\Windows\SysWOW64.
void RedirectSystemFolder(std::wstring& windowsPath);

} // namespace platform

#pragma GCC visibility pop
