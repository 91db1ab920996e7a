// Renewer, the maker's updater and launcher, standing in here: it records every request in
// requests.log of the machine, starts the main program for the launch words and then checks for an
// update, downloads an update that the update description offers and installs a downloaded one.
//
//   Renewer [autostart | autoscan | downloadupdate | executeupdate]

#include "MainProgramStart.h"
#include "PackageInstall.h"
#include "RequestLog.h"
#include "UpdatePackage.h"

#include "common/ModuleDir.h"
#include "platform/Text.h"
#include "platform/Windows.h"

#include <string>
#include <vector>

namespace {

constexpr int EXIT_DONE = 0;
constexpr int EXIT_BAD_COMMAND_LINE = 1;
constexpr int EXIT_NOT_STARTED = 2;
constexpr int EXIT_NOT_DOWNLOADED = 3;
constexpr int EXIT_NOT_INSTALLED = 4;

int Outcome(const std::string& failure, int failedCode)
{
    if (failure.empty())
        return EXIT_DONE;
    RecordRequestLine("error: " + failure);
    return failedCode;
}

} // namespace

int main()
{
    const std::vector<std::wstring> arguments = platform::SplitCommandLine(GetCommandLineW());
    const std::wstring word = arguments.size() > 1 ? arguments[1] : L"";

    RecordRequestLine(word.empty() ? std::string("(none)") : platform::ToUtf8(word));
    if (arguments.size() > 2) {
        RecordRequestLine("error: more than one word");
        return EXIT_BAD_COMMAND_LINE;
    }
    const std::wstring programFolder = GetModuleDir();
    if (word.empty() || word == L"autostart" || word == L"autoscan") {
        // A block that a killed install left would make the main program idle for good.
        RecoverInterruptedInstall(programFolder);
        const int started = Outcome(StartMainProgram(word), EXIT_NOT_STARTED);
        // The main program only reads the update state: every launch leaves a fresh one.
        CheckForUpdate();
        return started;
    }
    if (word == L"downloadupdate")
        return Outcome(DownloadUpdatePackage(programFolder), EXIT_NOT_DOWNLOADED);
    if (word == L"executeupdate")
        return Outcome(InstallUpdatePackage(programFolder), EXIT_NOT_INSTALLED);
    RecordRequestLine("error: unknown word");
    return EXIT_BAD_COMMAND_LINE;
}
