// Processes, anonymous pipes and the shell's "open" and "run elevated".
//
// Programs are found without a shell and without PATH: a Windows path (full or relative) through
// the drive map; a bare name in the program folder first and then in the machine's
// C:\Windows\System32. "X.exe" is the host program "X" when "X.exe" is not there, and names match
// ignoring case. The child gets the split command line as its arguments, the whole command line
// for its GetCommandLineW, the caller's environment and current folder.
#pragma once

#include "platform/win/Handles.h"

#include <string>

#pragma GCC visibility push(default)

#define STILL_ACTIVE 259u

#define DETACHED_PROCESS 0x00000008u
#define CREATE_NEW_CONSOLE 0x00000010u
#define NORMAL_PRIORITY_CLASS 0x00000020u
#define CREATE_UNICODE_ENVIRONMENT 0x00000400u
#define CREATE_NO_WINDOW 0x08000000u

#define STARTF_USESHOWWINDOW 0x00000001u
#define STARTF_USESTDHANDLES 0x00000100u

#define HANDLE_FLAG_INHERIT 0x00000001u

#define PROCESS_TERMINATE 0x0001u
#define PROCESS_QUERY_INFORMATION 0x0400u
#define PROCESS_QUERY_LIMITED_INFORMATION 0x1000u
#define PROCESS_ALL_ACCESS 0x001FFFFFu


#define SEE_MASK_DEFAULT 0x00000000u
#define SEE_MASK_NOCLOSEPROCESS 0x00000040u
#define SEE_MASK_FLAG_NO_UI 0x00000400u

#define SE_ERR_FNF 2
#define SE_ERR_PNF 3
#define SE_ERR_ACCESSDENIED 5
#define SE_ERR_OOM 8
#define SE_ERR_NOASSOC 31


typedef struct _STARTUPINFOW {
    DWORD cb;
    LPWSTR lpReserved;
    LPWSTR lpDesktop;
    LPWSTR lpTitle;
    DWORD dwX;
    DWORD dwY;
    DWORD dwXSize;
    DWORD dwYSize;
    DWORD dwXCountChars;
    DWORD dwYCountChars;
    DWORD dwFillAttribute;
    DWORD dwFlags;
    WORD wShowWindow;
    WORD cbReserved2;
    LPBYTE lpReserved2;
    HANDLE hStdInput;
    HANDLE hStdOutput;
    HANDLE hStdError;
} STARTUPINFOW, *LPSTARTUPINFOW;

typedef struct _PROCESS_INFORMATION {
    HANDLE hProcess;
    HANDLE hThread;
    DWORD dwProcessId;
    DWORD dwThreadId;
} PROCESS_INFORMATION, *PPROCESS_INFORMATION, *LPPROCESS_INFORMATION;

typedef struct _SHELLEXECUTEINFOW {
    DWORD cbSize;
    ULONG fMask;
    HWND hwnd;
    LPCWSTR lpVerb;
    LPCWSTR lpFile;
    LPCWSTR lpParameters;
    LPCWSTR lpDirectory;
    int nShow;
    HINSTANCE hInstApp;
    void* lpIDList;
    LPCWSTR lpClass;
    HKEY hkeyClass;
    DWORD dwHotKey;
    union {
        HANDLE hIcon;
        HANDLE hMonitor;
    };
    HANDLE hProcess;
} SHELLEXECUTEINFOW, *LPSHELLEXECUTEINFOW;

// Standard handles reach the child with STARTF_USESTDHANDLES when handles are inherited and each
// handle is inheritable (any other becomes /dev/null). The environment block ("NAME=value" texts,
// an empty one last) is wide text with CREATE_UNICODE_ENVIRONMENT, else UTF-8. A program that is not found fails with
// ERROR_FILE_NOT_FOUND (ERROR_PATH_NOT_FOUND when its folder is missing), a current folder that is
// not one with ERROR_DIRECTORY. The thread handle stands for the child's main thread.
BOOL CreateProcessW(LPCWSTR applicationName, LPWSTR commandLine, LPSECURITY_ATTRIBUTES processAttributes,
                    LPSECURITY_ATTRIBUTES threadAttributes, BOOL inheritHandles, DWORD creationFlags,
                    LPVOID environment, LPCWSTR currentDirectory, LPSTARTUPINFOW startupInfo,
                    LPPROCESS_INFORMATION processInformation);

// STILL_ACTIVE while the process runs; its full 32-bit code after it ended (a program of this
// layer that calls ExitProcess passes all 32 bits; others give their 8-bit status; one killed by
// a signal a non-zero Windows status).
BOOL GetExitCodeProcess(HANDLE process, LPDWORD exitCode);
// A process ended here or by another process of the machine ends with exitCode. The user's shell
// is not ended (ERROR_ACCESS_DENIED), nor a process that already ended.
BOOL TerminateProcess(HANDLE process, UINT exitCode);
// A process of the machine's process list (see ToolHelp.h) by id; any other id, a host process's
// included, fails with ERROR_INVALID_PARAMETER. Its exit code is the one it ended with.
HANDLE OpenProcess(DWORD desiredAccess, BOOL inheritHandle, DWORD processId);
[[noreturn]] void ExitProcess(UINT exitCode);

HANDLE GetCurrentProcess();
DWORD GetCurrentProcessId();
DWORD GetCurrentThreadId();
// The pseudo handle of the calling thread.
HANDLE GetCurrentThread();
DWORD GetProcessId(HANDLE process);

// ReadFile on the read end gives what is there, waiting for some; when every write end is closed
// and nothing is left it fails with ERROR_BROKEN_PIPE. WriteFile on a pipe nobody reads fails with
// ERROR_NO_DATA.
BOOL CreatePipe(PHANDLE readPipe, PHANDLE writePipe, LPSECURITY_ATTRIBUTES attributes, DWORD size);
// Copies waiting bytes without taking them from the pipe.
BOOL PeekNamedPipe(HANDLE pipe, LPVOID buffer, DWORD bufferSize, LPDWORD bytesRead, LPDWORD totalBytesAvail,
                   LPDWORD bytesLeftThisMessage);
BOOL SetHandleInformation(HANDLE object, DWORD mask, DWORD flags);
// ERROR_INVALID_HANDLE when the value names no open handle of this process.
BOOL GetHandleInformation(HANDLE object, LPDWORD flags);

// Verbs: "open" or none, and "runas" (a plain start when the machine's user is an administrator,
// otherwise through pkexec; failing that ERROR_CANCELLED). A program starts as CreateProcessW
// starts it, with lpParameters as its arguments; a folder or another file is opened with the
// desktop's opener (xdg-open, or the program QUARNEL_OPEN_COMMAND names).
BOOL ShellExecuteExW(SHELLEXECUTEINFOW* info);
// Returns a value above 32 on success, else an SE_ERR_* number.
HINSTANCE ShellExecuteW(HWND window, LPCWSTR operation, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory,
                        INT showCommand);
HINSTANCE ShellExecuteA(HWND window, LPCSTR operation, LPCSTR file, LPCSTR parameters, LPCSTR directory,
                        INT showCommand);

namespace platform {

// Kernel objects over a host descriptor (pipe ends; files may join) can be a child's standard
// handles; they carry Windows' inherit flag.
class IHostDescriptor {
public:
    virtual ~IHostDescriptor() = default;
    virtual int Descriptor() const = 0;
    virtual bool Inheritable() const = 0;
    virtual void SetInheritable(bool inheritable) = 0;
};

// The host path of a program as CreateProcessW finds it, or "" with the last error set (for code
// that starts programs by other means, such as QProcess).
std::string ProgramHostPath(const std::wstring& program);

} // namespace platform

#pragma GCC visibility pop
