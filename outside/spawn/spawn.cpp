// spawn, the maker's child-process launcher, standing in here:
//
//   spawn "<command line>" <cancel event handle> <locale>
//
// Runs the command line with the locale as the child's language, the child writing straight to
// spawn's own output. When the cancel event is signalled, or its starter has gone, it interrupts
// the child (as a console break would), ends it if it does not stop in time, and exits with -2;
// otherwise it exits with the child's exit code. A command line it cannot read or a child it
// cannot start ends it with the codes below.

#include "LauncherCommand.h"

#include "platform/Text.h"
#include "platform/Windows.h"

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

constexpr UINT EXIT_CANCELLED = static_cast<UINT>(-2);
constexpr UINT EXIT_BAD_COMMAND_LINE = static_cast<UINT>(-3);
constexpr UINT EXIT_NOT_STARTED = static_cast<UINT>(-4);

// How long an interrupted child may take to stop before it is ended.
constexpr DWORD STOP_GRACE_MS = 5000;
constexpr DWORD STARTER_CHECK_MS = 250;

// The cancel event the starter handed down; null when the value names no handle of this process
// (the child then runs to its end).
HANDLE InheritedCancelEvent(unsigned long long handleValue)
{
    const auto cancel = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(handleValue));
    DWORD flags = 0;
    return GetHandleInformation(cancel, &flags) ? cancel : nullptr;
}

// True when the child has ended; false when the cancel event was signalled or the starter has
// gone, so that no run outlives the program that wanted it.
bool WaitForChild(HANDLE child, HANDLE cancel, pid_t starter)
{
    const HANDLE waits[] = {child, cancel};
    for (;;) {
        const DWORD woken = WaitForMultipleObjects(cancel ? 2 : 1, waits, FALSE, STARTER_CHECK_MS);
        if (woken == WAIT_OBJECT_0)
            return true;
        if (woken != WAIT_TIMEOUT || getppid() != starter)
            return false;
    }
}

UINT Cancel(HANDLE child)
{
    kill(static_cast<pid_t>(GetProcessId(child)), SIGINT);
    if (WaitForSingleObject(child, STOP_GRACE_MS) != WAIT_OBJECT_0)
        TerminateProcess(child, EXIT_CANCELLED);
    return EXIT_CANCELLED;
}

} // namespace

int main()
{
    const auto command = ParseLauncherCommand(GetCommandLineW());
    if (!command) {
        std::fputs("Usage: spawn \"<command line>\" <cancel event handle> <locale>\n", stderr);
        ExitProcess(EXIT_BAD_COMMAND_LINE);
    }
    setenv("LANG", (platform::ToUtf8(command->locale) + ".UTF-8").c_str(), 1);
    const pid_t starter = getppid();
    const HANDLE cancel = InheritedCancelEvent(command->cancelHandle);

    std::wstring commandLine = command->commandLine;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child = {};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &child)) {
        std::fprintf(stderr, "spawn: cannot start the command line (error %u)\n", GetLastError());
        ExitProcess(EXIT_NOT_STARTED);
    }
    if (!WaitForChild(child.hProcess, cancel, starter))
        ExitProcess(Cancel(child.hProcess));
    DWORD exitCode = 0;
    GetExitCodeProcess(child.hProcess, &exitCode);
    ExitProcess(exitCode);
}
