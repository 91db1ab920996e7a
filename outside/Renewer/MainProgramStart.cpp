#include "MainProgramStart.h"

#include "common/ModuleDir.h"
#include "common/RunProcess.h"
#include "platform/Text.h"
#include "platform/Windows.h"

namespace {

const wchar_t kInstanceMutex[] = L"Global\\ORVANE Draviels 1.0";
// How long the asking copy may take to end; a copy that still runs then turns the new one away.
constexpr DWORD kRunningCopyWaitMs = 5000;

std::string Failure(const char* what)
{
    return std::string(what) + " (error " + std::to_string(GetLastError()) + ")";
}

// The copy that asked holds the instance mutex until it ends; a new copy started before would
// find it taken and end at once.
void WaitForRunningCopy()
{
    const HANDLE instance = OpenMutexW(SYNCHRONIZE, FALSE, kInstanceMutex);
    if (!instance)
        return;
    const DWORD waited = WaitForSingleObject(instance, kRunningCopyWaitMs);
    if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED)
        ReleaseMutex(instance);
    CloseHandle(instance);
}

} // namespace

std::string StartMainProgram(const std::wstring& word)
{
    const std::wstring program = GetModuleDir() + L"Quarnel.exe";
    if (word == L"autostart") {
        const std::wstring commandLine = platform::QuoteProgramName(program) + L" " + word;
        return RunProcess(program, commandLine, false) == 0 ? std::string()
                                                            : Failure("the main program did not start");
    }
    WaitForRunningCopy();
    SHELLEXECUTEINFOW info {};
    info.cbSize = sizeof(info);
    info.lpVerb = L"runas";
    info.lpFile = program.c_str();
    info.lpParameters = word.empty() ? nullptr : word.c_str();
    info.nShow = SW_SHOWNORMAL;
    return ShellExecuteExW(&info) ? std::string() : Failure("the main program did not start with administrator rights");
}
