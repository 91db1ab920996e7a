// Starting the kernel tests' helper program and reading what it prints.
#pragma once

#include "platform/Windows.h"

#include <string>

namespace kernel_test {

// The helper program's host path (built beside the tests).
std::string HelperPath();

// A command line that starts the helper by its Windows path, followed by the arguments.
std::wstring HelperCommand(const std::wstring& arguments);

// Copies the helper under another name into a host folder, as an executable.
void InstallHelper(const std::string& folder, const std::string& name);

// A child whose standard output and error come through a pipe.
struct PipedChild {
    PROCESS_INFORMATION info {};
    HANDLE output = nullptr;     // read end
    bool started = false;
    DWORD error = 0;             // the last error when it did not start

    ~PipedChild();
    std::string ReadLine() const;
    std::string ReadToEnd() const;
    // Waits for the end (at most timeoutMs) and gives the exit code, or STILL_ACTIVE.
    DWORD Finish(DWORD timeoutMs = 30000) const;
};

// Starts a command line (program resolved by CreateProcessW); folder and environment as given.
void Start(PipedChild& child, const std::wstring& commandLine, const wchar_t* folder = nullptr,
           void* environment = nullptr, DWORD flags = 0);

// Runs a command line to its end: exit code and everything it printed.
struct Outcome {
    bool started = false;
    DWORD error = 0;
    DWORD exitCode = 0;
    std::string output;
};
Outcome RunToEnd(const std::wstring& commandLine, const wchar_t* folder = nullptr, void* environment = nullptr,
            DWORD flags = 0);

} // namespace kernel_test
