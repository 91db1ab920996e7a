#include "ShellProcess.h"

#include "platform/IniFile.h"
#include "platform/Machine.h"
#include "platform/win/Errors.h"
#include "platform/win/Process.h"

#include <chrono>
#include <thread>

namespace platform {

namespace {

// How often a wait on the shell looks at machine.ini again.
constexpr DWORD kLookAgainMs = 100;

} // namespace

bool ShellRunning() { return IniFile(MachineIniPath()).GetInt(L"Machine", L"ShellRunning", 1) != 0; }

bool ShellProcess::WaitEnd(const Deadline& deadline)
{
    while (ShellRunning()) {
        if (deadline.Passed())
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(deadline.Remaining(kLookAgainMs)));
    }
    return true;
}

DWORD ShellProcess::ExitCode() { return Ended() ? 0 : STILL_ACTIVE; }

DWORD ShellProcess::Terminate(UINT) { return ERROR_ACCESS_DENIED; }

} // namespace platform
