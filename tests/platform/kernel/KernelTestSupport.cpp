#include "KernelTestSupport.h"

#include "platform/Machine.h"

#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

namespace kernel_test {

std::string HelperPath() { return fs::read_symlink("/proc/self/exe").parent_path().string() + "/kernel_test_helper"; }

std::wstring HelperCommand(const std::wstring& arguments)
{
    return platform::QuoteProgramName(platform::WindowsPath(HelperPath())) + L" " + arguments;
}

void InstallHelper(const std::string& folder, const std::string& name)
{
    fs::create_directories(folder);
    fs::copy_file(HelperPath(), folder + "/" + name, fs::copy_options::overwrite_existing);
    fs::permissions(folder + "/" + name, fs::perms::owner_all);
}

PipedChild::~PipedChild()
{
    if (!started)
        return;
    TerminateProcess(info.hProcess, 0);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
    CloseHandle(output);
}

std::string PipedChild::ReadLine() const
{
    std::string line;
    char c = 0;
    DWORD done = 0;
    while (ReadFile(output, &c, 1, &done, nullptr) && done == 1 && c != '\n')
        line += c;
    return line;
}

std::string PipedChild::ReadToEnd() const
{
    std::string text;
    char buffer[4096];
    DWORD done = 0;
    while (ReadFile(output, buffer, sizeof(buffer), &done, nullptr))
        text.append(buffer, done);
    return text;
}

DWORD PipedChild::Finish(DWORD timeoutMs) const
{
    WaitForSingleObject(info.hProcess, timeoutMs);
    DWORD code = 0;
    GetExitCodeProcess(info.hProcess, &code);
    return code;
}

void Start(PipedChild& child, const std::wstring& commandLine, const wchar_t* folder, void* environment, DWORD flags)
{
    SECURITY_ATTRIBUTES inheritable {sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE write = nullptr;
    CreatePipe(&child.output, &write, &inheritable, 0);
    SetHandleInformation(child.output, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = write;
    startup.hStdError = write;
    std::wstring line = commandLine;
    child.started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW | flags, environment,
                                   folder, &startup, &child.info) != FALSE;
    child.error = child.started ? 0 : GetLastError();
    CloseHandle(write);
    if (!child.started)
        CloseHandle(child.output);
}

Outcome RunToEnd(const std::wstring& commandLine, const wchar_t* folder, void* environment, DWORD flags)
{
    PipedChild child;
    Start(child, commandLine, folder, environment, flags);
    Outcome outcome;
    outcome.started = child.started;
    outcome.error = child.error;
    if (child.started) {
        outcome.output = child.ReadToEnd();
        outcome.exitCode = child.Finish();
    }
    return outcome;
}

} // namespace kernel_test
