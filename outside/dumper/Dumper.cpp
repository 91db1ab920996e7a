// dumper, the maker's crash-dump writer, standing in here: it cannot read the crashed process's
// memory, so it writes what it was given into a crash report beside the log in the user's
// temporary folder ("<program>.<process id>.crash.txt"), for the user and the maker to see.
//
// The report is written whole under a draft name and put in place by one move, both names taken in
// the temporary folder held by its handle: a kill leaves the earlier report of that name or the new
// one, and whatever another process put at either name (a link, another name of some file) is
// replaced, never written through.
//
// Its starter names it as the program to run and passes its own command line, so that the whole
// command line is what it is given:
//
//   "<program path>" <process id> <thread id> <exception pointers address>

#include "MachineRecord.h"

#include "common/HeldFolder.h"
#include "platform/Text.h"
#include "platform/Windows.h"

#include <string>
#include <vector>

namespace {

constexpr int EXIT_WRITTEN = 0;
constexpr int EXIT_BAD_COMMAND_LINE = 1;
constexpr int EXIT_NOT_WRITTEN = 2;

bool IsDecimal(const std::wstring& text)
{
    return !text.empty() && text.find_first_not_of(L"0123456789") == std::wstring::npos;
}

// The program's name without its folder and without ".exe".
std::wstring ProgramName(const std::wstring& path)
{
    std::wstring name = path.substr(path.find_last_of(L"\\/") + 1);
    if (name.size() > 4 && platform::EqualsIgnoringCase(name.substr(name.size() - 4), L".exe"))
        name.resize(name.size() - 4);
    return name.empty() ? L"program" : name;
}

std::wstring TempFolder()
{
    wchar_t folder[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
    return length == 0 || length > MAX_PATH ? std::wstring() : std::wstring(folder, length);
}

// A draft of a writer that was killed is removed first, so that the draft written is always a new
// file.
bool WriteReport(const std::wstring& folder, const std::wstring& name, const std::string& text)
{
    const CHeldFolder held(folder, 0, 0);
    if (held.GetState() != CHeldFolder::State::Held)
        return false;
    const std::wstring draft = name + L".draft";
    held.DeleteEntry(draft, FILE_NON_DIRECTORY_FILE, 0, [](HANDLE, const BY_HANDLE_FILE_INFORMATION&) { return true; });
    return held.ReplaceEntry(name, draft, text.data(), static_cast<DWORD>(text.size()));
}

} // namespace

int main()
{
    const std::vector<std::wstring> arguments = platform::SplitCommandLine(GetCommandLineW());
    if (arguments.size() != 4 || arguments[0].empty() || !IsDecimal(arguments[1]) || !IsDecimal(arguments[2]) ||
        arguments[3].empty())
        return EXIT_BAD_COMMAND_LINE;
    const std::wstring& program = arguments[0];
    const std::wstring folder = TempFolder();
    if (folder.empty())
        return EXIT_NOT_WRITTEN;

    const std::wstring report = ProgramName(program) + L"." + arguments[1] + L".crash.txt";
    const std::string text = "Crash report\r\nTime: " + LocalTimeText() + "\r\nProgram: " + platform::ToUtf8(program) +
                             "\r\nProcess id: " + platform::ToUtf8(arguments[1]) +
                             "\r\nThread id: " + platform::ToUtf8(arguments[2]) +
                             "\r\nException pointers: " + platform::ToUtf8(arguments[3]) + "\r\n";
    return WriteReport(folder, report, text) ? EXIT_WRITTEN : EXIT_NOT_WRITTEN;
}
