// Renewer, the maker's updater and launcher, standing in here: it records every request in
// requests.log of the machine, starts the main program for the launch words, and for a download
// copies the update package that machine.ini names into the product's temporary folder.
//
//   Renewer [autostart | autoscan | downloadupdate | executeupdate]

#include "MachineRecord.h"
#include "UpdatePackage.h"

#include "common/ModuleDir.h"
#include "common/RunProcess.h"
#include "platform/Text.h"
#include "platform/Windows.h"

#include <string>
#include <vector>

namespace {

constexpr int EXIT_DONE = 0;
constexpr int EXIT_BAD_COMMAND_LINE = 1;
constexpr int EXIT_NOT_STARTED = 2;
constexpr int EXIT_NOT_DOWNLOADED = 3;

const wchar_t* const REQUESTS_PATH = L"C:\\ProgramData\\Orvane\\Renewer\\requests.log";

void Record(const std::string& text)
{
    AppendMachineLine(REQUESTS_PATH, LocalTimeText() + " " + text);
}

// Starts the main program from the program folder, with the word as its first argument.
int StartMainProgram(const std::wstring& word)
{
    const std::wstring program = GetModuleDir() + L"Quarnel.exe";
    std::wstring commandLine = platform::QuoteProgramName(program);
    if (!word.empty())
        commandLine += L" " + word;
    if (RunProcess(program, commandLine, false) == 0)
        return EXIT_DONE;
    Record("error: the main program did not start (error " + std::to_string(GetLastError()) + ")");
    return EXIT_NOT_STARTED;
}

int Download()
{
    const std::string failure = DownloadUpdatePackage();
    if (failure.empty())
        return EXIT_DONE;
    Record("error: " + failure);
    return EXIT_NOT_DOWNLOADED;
}

} // namespace

int main()
{
    const std::vector<std::wstring> arguments = platform::SplitCommandLine(GetCommandLineW());
    const std::wstring word = arguments.size() > 1 ? arguments[1] : L"";

    Record(word.empty() ? std::string("(none)") : platform::ToUtf8(word));
    if (arguments.size() > 2) {
        Record("error: more than one word");
        return EXIT_BAD_COMMAND_LINE;
    }
    if (word.empty() || word == L"autostart" || word == L"autoscan")
        return StartMainProgram(word);
    if (word == L"downloadupdate")
        return Download();
    // Installing is the update library's work, which this stand-in does not carry.
    if (word == L"executeupdate")
        return EXIT_DONE;
    Record("error: unknown word");
    return EXIT_BAD_COMMAND_LINE;
}
