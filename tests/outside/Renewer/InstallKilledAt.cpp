// An install of the downloaded package in a process of its own that is killed as it reaches a step
// for the given time, as a power cut would end it there:
//   InstallKilledAt <host path of the program folder> <Placing | Placed> <how many times it is reached first>
#include "PackageInstall.h"

#include "platform/Machine.h"

#include <csignal>
#include <cstdlib>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 4)
        return 2;
    const std::string stepName = argv[2];
    const InstallStep step = stepName == "Placed" ? InstallStep::Placed : InstallStep::Placing;
    int left = std::atoi(argv[3]);
    SetInstallStepHook([&](InstallStep reached) {
        if (reached == step && --left <= 0)
            raise(SIGKILL);
    });
    return InstallUpdatePackage(platform::WindowsPath(argv[1]) + L"\\").empty() ? 0 : 1;
}
