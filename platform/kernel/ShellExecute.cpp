#include "platform/win/Process.h"

#include "ChildProcess.h"
#include "ProcessHandle.h"
#include "ProgramLauncher.h"

#include "platform/Machine.h"
#include "platform/Text.h"
#include "platform/win/CommandLine.h"
#include "platform/win/Errors.h"

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char* const kOpener = "/usr/bin/xdg-open";
const char* const kElevator = "/usr/bin/pkexec";
const char* const kEnv = "/usr/bin/env";

bool IsAdministrator()
{
    return platform::Machine().administrator.value_or(geteuid() == 0);
}

// A folder or a file that is no program: it is opened, not run.
bool IsDocument(const std::string& host)
{
    struct stat st {};
    if (host.empty() || stat(host.c_str(), &st) != 0)
        return false;
    return S_ISDIR(st.st_mode) || (S_ISREG(st.st_mode) && access(host.c_str(), X_OK) != 0);
}

std::shared_ptr<platform::ChildProcess> Open(const std::string& host)
{
    const char* seam = std::getenv("QUARNEL_OPEN_COMMAND");
    platform::LaunchRequest request;
    request.program = seam && *seam ? seam : kOpener;
    if (access(request.program.c_str(), X_OK) != 0) {
        SetLastError(ERROR_NO_ASSOCIATION);
        return nullptr;
    }
    request.arguments = {request.program, host};
    request.environment = platform::OwnEnvironment();
    return platform::ChildProcess::Start(request);
}

// pkexec clears the environment, so the machine, the program folder and the desktop session the
// program needs pass through env.
std::shared_ptr<platform::ChildProcess> StartElevated(const platform::ProgramStart& start)
{
    platform::LaunchRequest request;
    request.program = kElevator;
    request.arguments = {kElevator, kEnv, "QUARNEL_MACHINE=" + platform::Machine().root,
                         "QUARNEL_PROGRAM_FOLDER=" + platform::ProgramFolder()};
    for (const char* name : {"DISPLAY", "XAUTHORITY", "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR"})
        if (const char* value = std::getenv(name))
            request.arguments.push_back(std::string(name) + "=" + value);
    request.arguments.push_back(start.program);
    const std::vector<std::wstring> arguments = platform::SplitCommandLine(start.commandLine);
    for (size_t i = 1; i < arguments.size(); ++i)
        request.arguments.push_back(platform::ToUtf8(arguments[i]));
    request.environment = start.environment;
    request.folder = start.folder;
    std::shared_ptr<platform::ChildProcess> child;
    if (access(kElevator, X_OK) == 0)
        child = platform::ChildProcess::Start(request);
    if (!child)
        SetLastError(ERROR_CANCELLED);
    return child;
}

INT_PTR ShellErrorOf(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND: return SE_ERR_FNF;
    case ERROR_PATH_NOT_FOUND: return SE_ERR_PNF;
    case ERROR_ACCESS_DENIED:
    case ERROR_CANCELLED: return SE_ERR_ACCESSDENIED;
    case ERROR_NOT_ENOUGH_MEMORY: return SE_ERR_OOM;
    default: return SE_ERR_NOASSOC;
    }
}

std::shared_ptr<platform::ChildProcess> Execute(const SHELLEXECUTEINFOW& info)
{
    const std::wstring verb = info.lpVerb ? info.lpVerb : L"";
    const bool elevate = platform::EqualsIgnoringCase(verb, L"runas");
    if (!verb.empty() && !elevate && !platform::EqualsIgnoringCase(verb, L"open")) {
        SetLastError(ERROR_NO_ASSOCIATION);
        return nullptr;
    }
    const std::wstring file = info.lpFile ? info.lpFile : L"";
    platform::ProgramStart start;
    if (info.lpDirectory && *info.lpDirectory) {
        start.folder = platform::HostFolder(info.lpDirectory);
        if (start.folder.empty())
            return nullptr;
    }
    // A path that names a folder or a document is opened; a bare name is a program first.
    const bool isPath = file.find_first_of(L"\\/:") != std::wstring::npos;
    const std::string host = file.empty() ? std::string() : platform::HostPath(file);
    if (isPath && IsDocument(host))
        return Open(host);
    start.program = platform::ResolveProgram(file);
    if (start.program.empty())
        return !isPath && IsDocument(host) ? Open(host) : nullptr;
    start.commandLine = platform::QuoteProgramName(file);
    if (info.lpParameters && *info.lpParameters)
        start.commandLine += L" " + std::wstring(info.lpParameters);
    start.environment = platform::OwnEnvironment();
    if (elevate && !IsAdministrator())
        return StartElevated(start);
    return platform::StartProgram(start);
}

} // namespace

BOOL ShellExecuteExW(SHELLEXECUTEINFOW* info)
{
    if (!info) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    info->hProcess = nullptr;
    const std::shared_ptr<platform::ChildProcess> child = Execute(*info);
    if (!child) {
        info->hInstApp = reinterpret_cast<HINSTANCE>(ShellErrorOf(GetLastError()));
        return FALSE;
    }
    info->hInstApp = reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(42));
    if (info->fMask & SEE_MASK_NOCLOSEPROCESS)
        info->hProcess = platform::HandleOf(new platform::ProcessHandle(child));
    return TRUE;
}

HINSTANCE ShellExecuteW(HWND window, LPCWSTR operation, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory,
                        INT showCommand)
{
    SHELLEXECUTEINFOW info {};
    info.cbSize = sizeof(info);
    info.hwnd = window;
    info.lpVerb = operation;
    info.lpFile = file;
    info.lpParameters = parameters;
    info.lpDirectory = directory;
    info.nShow = showCommand;
    ShellExecuteExW(&info);
    return info.hInstApp;
}

HINSTANCE ShellExecuteA(HWND window, LPCSTR operation, LPCSTR file, LPCSTR parameters, LPCSTR directory,
                        INT showCommand)
{
    const auto wide = [](LPCSTR text) { return text ? platform::FromUtf8(text) : std::wstring(); };
    const std::wstring texts[] = {wide(operation), wide(file), wide(parameters), wide(directory)};
    const auto pointer = [](LPCSTR given, const std::wstring& text) { return given ? text.c_str() : nullptr; };
    return ShellExecuteW(window, pointer(operation, texts[0]), pointer(file, texts[1]), pointer(parameters, texts[2]),
                         pointer(directory, texts[3]), showCommand);
}
