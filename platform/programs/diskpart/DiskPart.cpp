// The Windows disk partitioner, standing in for the real one on the machine's disks:
//
//   diskpart /s <script>
//
// The script holds one command a line (case ignored; blank lines and lines starting with "rem"
// skipped): "list disk", "select disk <n>", "attributes disk", "attributes disk set readonly",
// "attributes disk clear readonly" (the disk's ReadOnly in machine.ini [Disk n]) and "exit". The
// first command that fails ends the script. FailMode.h tells how a test makes it fail.
//
// Exit codes: 0 done, 2 a command's arguments were not valid (bad command line too), 3 the script
// could not be opened, 4 the disk service failed, 5 a command was not known.

#include "Console.h"
#include "DiskCommands.h"
#include "FailMode.h"

#include "platform/Text.h"
#include "platform/Windows.h"

#include <cstdio>
#include <cwctype>
#include <sstream>
#include <string>
#include <vector>

namespace {

using standin::Print;

constexpr int SCRIPT_NOT_OPENED = 3;

std::vector<std::wstring> Words(const std::wstring& line)
{
    std::wistringstream stream(line);
    std::vector<std::wstring> words;
    for (std::wstring word; stream >> word;)
        words.push_back(platform::UpperCase(word));
    return words;
}

bool ReadScript(const std::wstring& path, std::vector<std::wstring>& lines)
{
    FILE* file = _wfopen(path.c_str(), L"rb");
    if (!file)
        return false;
    std::string text;
    char chunk[4096];
    for (size_t n; (n = std::fread(chunk, 1, sizeof(chunk), file)) > 0;)
        text.append(chunk, n);
    std::fclose(file);
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(platform::FromUtf8(line));
    }
    return true;
}

void PrintBanner()
{
    DWORD major = 0, minor = 0, build = 0;
    RtlGetNtVersionNumbers(&major, &minor, &build);
    wchar_t computer[64] = {};
    DWORD size = 64;
    GetComputerNameW(computer, &size);
    Print("\r\nDiskPart version " + std::to_string(major) + "." + std::to_string(minor) + "." +
          std::to_string(build & 0xFFFF) + ".1\r\n\r\nOn computer: " + platform::ToUtf8(computer) + "\r\n");
}

// Runs one command; returns its exit code, or -1 after "exit".
int RunCommand(diskpart::DiskSession& session, const std::vector<std::wstring>& words)
{
    const size_t count = words.size();
    if (count == 1 && words[0] == L"EXIT")
        return -1;
    if (count == 2 && words[0] == L"LIST" && words[1] == L"DISK")
        return session.ListDisks();
    if (count == 3 && words[0] == L"SELECT" && words[1] == L"DISK")
        return session.SelectDisk(words[2]);
    if (count >= 2 && words[0] == L"ATTRIBUTES" && words[1] == L"DISK")
        return session.DiskAttributes(std::vector<std::wstring>(words.begin() + 2, words.end()));
    Print("\r\nThe command was not recognized: " + platform::ToUtf8(words[0]) + "\r\n");
    return diskpart::SYNTAX_ERROR;
}

int RunScript(const std::vector<std::wstring>& lines)
{
    diskpart::DiskSession session;
    for (const auto& line : lines) {
        const std::vector<std::wstring> words = Words(line);
        if (words.empty() || words[0] == L"REM")
            continue;
        const int result = RunCommand(session, words);
        if (result < 0)
            break;
        if (result != diskpart::DONE)
            return result;
    }
    Print("\r\nLeaving DiskPart...\r\n");
    return diskpart::DONE;
}

} // namespace

int main()
{
    const std::vector<std::wstring> arguments = standin::Arguments();
    if (arguments.size() != 2 || (arguments[0] != L"/s" && arguments[0] != L"/S" && arguments[0] != L"-s")) {
        Print("\r\nUsage: diskpart /s <script>\r\n");
        standin::Exit(diskpart::BAD_ARGUMENTS);
    }
    const bool fail = standin::MustFail(L"diskpart");
    PrintBanner();
    if (fail) {
        Print("\r\nDiskPart has encountered an error: Access is denied.\r\n"
              "See the System Event Log for more information.\r\n");
        standin::Exit(diskpart::SERVICE_FAILED);
    }
    std::vector<std::wstring> lines;
    if (!ReadScript(arguments[1], lines)) {
        Print("\r\nDiskPart was unable to open the script file: " + platform::ToUtf8(arguments[1]) + "\r\n");
        standin::Exit(SCRIPT_NOT_OPENED);
    }
    standin::Exit(static_cast<DWORD>(RunScript(lines)));
}
