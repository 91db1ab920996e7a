// Starting programs as CreateProcessW and ShellExecuteExW do: finding them, building the child's
// arguments and environment from a Windows command line.
#pragma once

#include "ChildProcess.h"
#include "Inheritance.h"

#include <memory>
#include <string>
#include <vector>

namespace platform {

// The host path of a program name or Windows path (see Process.h), or "" with the last error set.
std::string ResolveProgram(const std::wstring& program);

// The host folder of a Windows folder path, or "" with ERROR_DIRECTORY when it is no folder.
std::string HostFolder(const std::wstring& folder);

// The environment of this process as "NAME=value" texts.
std::vector<std::string> OwnEnvironment();

struct ProgramStart {
    std::string program;                     // host path
    std::wstring commandLine;                // split into the arguments, and passed whole
    std::vector<std::string> environment;    // the starter's choice; the layer's variables are added
    std::string folder;
    int standard[3] = {LaunchRequest::kOwn, LaunchRequest::kOwn, LaunchRequest::kOwn};
    Bequest inherited;                       // the handles the child is handed
};

// Null with the last error set on failure.
std::shared_ptr<ChildProcess> StartProgram(const ProgramStart& start);

} // namespace platform
