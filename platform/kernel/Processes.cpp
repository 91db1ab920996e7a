#include "platform/win/Process.h"

#include "ChildProcess.h"
#include "ExitChannel.h"
#include "ForeignProcess.h"
#include "ProcessHandle.h"
#include "ProgramLauncher.h"
#include "ShellProcess.h"

#include "platform/Text.h"
#include "platform/win/CommandLine.h"
#include "platform/win/Errors.h"

#include <climits>
#include <cstring>
#include <unistd.h>

namespace {

bool IsCurrentProcess(HANDLE handle) { return handle == GetCurrentProcess(); }

// Held for the call, so that a handle closed meanwhile on another thread leaves it alone.
std::shared_ptr<platform::HostProcess> ProcessOf(HANDLE handle)
{
    auto object = std::dynamic_pointer_cast<platform::ProcessHandle>(platform::HoldObject(handle));
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return object->Process();
}

// A process of the machine by id: the user's shell, or a running process started through the
// layer, or this one; no other host process is reachable.
std::shared_ptr<platform::HostProcess> MachineProcess(DWORD processId)
{
    if (processId == static_cast<DWORD>(platform::kShellProcessId))
        return platform::ShellRunning() ? std::make_shared<platform::ShellProcess>() : nullptr;
    if (processId == 0 || processId > static_cast<DWORD>(INT_MAX))
        return nullptr;
    const auto pid = static_cast<pid_t>(processId);
    if (auto child = platform::ChildProcess::Find(pid))
        return child;
    if (pid == getpid())
        return platform::ForeignProcess::Open(pid, nullptr);
    auto record = platform::ProcessRecord::Find(pid);
    return record ? platform::ForeignProcess::Open(pid, std::move(record)) : nullptr;
}

// The texts of a Windows environment block ("NAME=value" entries, an empty one last); the
// drive-folder entries that start with "=" mean nothing here.
template <class Char>
std::vector<std::string> EnvironmentOfBlock(const Char* block)
{
    std::vector<std::string> environment;
    while (*block) {
        const std::basic_string<Char> entry(block);
        block += entry.size() + 1;
        if (entry.front() == Char('='))
            continue;
        if constexpr (sizeof(Char) == 1)
            environment.push_back(entry);
        else
            environment.push_back(platform::ToUtf8(entry));
    }
    return environment;
}

// A standard handle reaches the child only when handles are inherited and it is inheritable.
int StandardDescriptor(HANDLE handle, BOOL inheritHandles)
{
    auto* host = dynamic_cast<platform::IHostDescriptor*>(platform::ObjectOf(handle));
    return inheritHandles && host && host->Inheritable() ? host->Descriptor() : platform::LaunchRequest::kNullDevice;
}

} // namespace

BOOL CreateProcessW(LPCWSTR applicationName, LPWSTR commandLine, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES,
                    BOOL inheritHandles, DWORD creationFlags, LPVOID environment, LPCWSTR currentDirectory,
                    LPSTARTUPINFOW startupInfo, LPPROCESS_INFORMATION processInformation)
{
    if (!processInformation || (!applicationName && !commandLine)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    platform::ProgramStart start;
    start.commandLine = commandLine ? commandLine : applicationName;
    const std::wstring program = applicationName ? applicationName : platform::SplitCommandLine(start.commandLine)[0];
    start.program = platform::ResolveProgram(program);
    if (start.program.empty())
        return FALSE;
    if (currentDirectory && *currentDirectory) {
        start.folder = platform::HostFolder(currentDirectory);
        if (start.folder.empty())
            return FALSE;
    }
    if (!environment)
        start.environment = platform::OwnEnvironment();
    else if (creationFlags & CREATE_UNICODE_ENVIRONMENT)
        start.environment = EnvironmentOfBlock(static_cast<const wchar_t*>(environment));
    else
        start.environment = EnvironmentOfBlock(static_cast<const char*>(environment));
    if (startupInfo && (startupInfo->dwFlags & STARTF_USESTDHANDLES)) {
        start.standard[0] = StandardDescriptor(startupInfo->hStdInput, inheritHandles);
        start.standard[1] = StandardDescriptor(startupInfo->hStdOutput, inheritHandles);
        start.standard[2] = StandardDescriptor(startupInfo->hStdError, inheritHandles);
    }
    if (inheritHandles)
        start.inherited = platform::BequeathHandles();
    const std::shared_ptr<platform::ChildProcess> child = platform::StartProgram(start);
    if (!child)
        return FALSE;
    processInformation->hProcess = platform::HandleOf(new platform::ProcessHandle(child));
    processInformation->hThread = platform::HandleOf(new platform::ProcessHandle(child));
    processInformation->dwProcessId = static_cast<DWORD>(child->Pid());
    processInformation->dwThreadId = static_cast<DWORD>(child->Pid());
    return TRUE;
}

HANDLE GetCurrentProcess() { return INVALID_HANDLE_VALUE; }

DWORD GetCurrentProcessId() { return static_cast<DWORD>(getpid()); }

DWORD GetCurrentThreadId() { return static_cast<DWORD>(gettid()); }

HANDLE GetCurrentThread() { return reinterpret_cast<HANDLE>(static_cast<intptr_t>(-2)); }

DWORD GetProcessId(HANDLE process)
{
    if (IsCurrentProcess(process))
        return GetCurrentProcessId();
    const auto host = ProcessOf(process);
    return host ? static_cast<DWORD>(host->Pid()) : 0;
}

BOOL GetExitCodeProcess(HANDLE process, LPDWORD exitCode)
{
    if (!exitCode) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (IsCurrentProcess(process)) {
        *exitCode = STILL_ACTIVE;
        return TRUE;
    }
    const auto host = ProcessOf(process);
    if (!host)
        return FALSE;
    *exitCode = host->ExitCode();
    return TRUE;
}

BOOL TerminateProcess(HANDLE process, UINT exitCode)
{
    if (IsCurrentProcess(process))
        ExitProcess(exitCode);
    const auto host = ProcessOf(process);
    if (!host)
        return FALSE;
    const DWORD error = host->Terminate(exitCode);
    if (error != ERROR_SUCCESS) {
        SetLastError(error);
        return FALSE;
    }
    return TRUE;
}

HANDLE OpenProcess(DWORD, BOOL, DWORD processId)
{
    std::shared_ptr<platform::HostProcess> process = MachineProcess(processId);
    if (!process) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return platform::HandleOf(new platform::ProcessHandle(std::move(process)));
}
