// The machine's process list as a snapshot: the logged-on user's shell, "explorer.exe", unless
// machine.ini's [Machine] ShellRunning is 0; every running process started through
// CreateProcessW or ShellExecuteExW by a process of the machine, with its image name; the calling
// program last. Every process of the machine runs as its one user: OpenProcess reaches each of
// them (the shell included, whose token is that user's) and no other.
#pragma once

#include "platform/win/Types.h"

#pragma GCC visibility push(default)

#define TH32CS_SNAPPROCESS 0x00000002u

#ifndef ERROR_BAD_LENGTH
#define ERROR_BAD_LENGTH 24L
#endif

typedef struct tagPROCESSENTRY32W {
    DWORD dwSize;  // set to sizeof(PROCESSENTRY32W) before the first call
    DWORD cntUsage;
    DWORD th32ProcessID;
    ULONG_PTR th32DefaultHeapID;
    DWORD th32ModuleID;
    DWORD cntThreads;
    DWORD th32ParentProcessID;
    LONG pcPriClassBase;
    DWORD dwFlags;
    WCHAR szExeFile[MAX_PATH];
} PROCESSENTRY32W, *LPPROCESSENTRY32W;

// Only TH32CS_SNAPPROCESS is known; other kinds fail with ERROR_INVALID_PARAMETER. Close the
// snapshot with CloseHandle.
HANDLE CreateToolhelp32Snapshot(DWORD flags, DWORD processId);
// FALSE with ERROR_NO_MORE_FILES after the last entry, ERROR_BAD_LENGTH when dwSize is too small.
BOOL Process32FirstW(HANDLE snapshot, LPPROCESSENTRY32W entry);
BOOL Process32NextW(HANDLE snapshot, LPPROCESSENTRY32W entry);

#pragma GCC visibility pop
