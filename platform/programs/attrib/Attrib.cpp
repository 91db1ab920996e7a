// The Windows file attribute command, standing in for the real one on the machine's files (the DOS
// attributes the layer keeps per file):
//
//   attrib [+R|-R] [+A|-A] [+S|-S] [+H|-H] [path ...] [/S [/D]]
//
// A path may end in a pattern with Windows' wildcards ("E:\*.*"); without a path the current
// folder's files. /S walks the subfolders too; /D lets a pattern match folders (a folder named
// without wildcards always matches). Without + or - it lists the attributes of what matches.
// Prints nothing when all went well; otherwise one line per problem ("File not found - E:\*.*",
// "Path not found - ...", "Access denied - E:\file" for a file whose attributes could not be set).
// Exit codes: 0 done, 1 a problem was printed. FailMode.h tells how a test makes it fail (access
// denied for the first path).

#include "Console.h"
#include "FailMode.h"
#include "FileWalk.h"

#include "platform/Text.h"
#include "platform/Windows.h"

#include <string>
#include <vector>

namespace {

using standin::Print;

constexpr DWORD CHANGEABLE = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                             FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_OFFLINE |
                             FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

struct Request {
    DWORD set = 0;
    DWORD clear = 0;
    bool subfolders = false;
    bool folders = false;
    std::vector<std::wstring> paths;
};

DWORD AttributeBit(wchar_t letter)
{
    switch (letter) {
    case L'R': return FILE_ATTRIBUTE_READONLY;
    case L'A': return FILE_ATTRIBUTE_ARCHIVE;
    case L'S': return FILE_ATTRIBUTE_SYSTEM;
    case L'H': return FILE_ATTRIBUTE_HIDDEN;
    default: return 0;
    }
}

// False (with the message printed) for a switch or attribute the command does not know.
bool ParseArguments(const std::vector<std::wstring>& arguments, Request& request)
{
    for (const auto& argument : arguments) {
        const std::wstring upper = platform::UpperCase(argument);
        if (upper.empty())
            continue;
        const DWORD bit = upper.size() == 2 ? AttributeBit(upper[1]) : 0;
        if (upper == L"/S") {
            request.subfolders = true;
        } else if (upper == L"/D") {
            request.folders = true;
        } else if ((upper[0] == L'+' || upper[0] == L'-') && bit) {
            (upper[0] == L'+' ? request.set : request.clear) |= bit;
        } else if (upper[0] == L'/' || upper[0] == L'+' || upper[0] == L'-') {
            Print("Invalid switch - " + platform::ToUtf8(argument) + "\r\n");
            return false;
        } else {
            request.paths.push_back(argument);
        }
    }
    if (request.paths.empty())
        request.paths.push_back(L"*.*");
    return true;
}

void ListEntry(const std::wstring& path, DWORD attributes)
{
    std::string flags = "                     ";
    flags[0] = attributes & FILE_ATTRIBUTE_ARCHIVE ? 'A' : ' ';
    flags[4] = attributes & FILE_ATTRIBUTE_SYSTEM ? 'S' : ' ';
    flags[5] = attributes & FILE_ATTRIBUTE_HIDDEN ? 'H' : ' ';
    flags[6] = attributes & FILE_ATTRIBUTE_READONLY ? 'R' : ' ';
    Print(flags + platform::ToUtf8(path) + "\r\n");
}

// Changes or lists what one path names; false when something was reported.
bool ApplyToPath(const Request& request, const std::wstring& path)
{
    const size_t slash = path.find_last_of(L"\\/");
    const bool rootless = slash == std::wstring::npos;
    const bool driveOnly = rootless && path.size() >= 2 && path[1] == L':';
    const std::wstring folder = driveOnly ? path.substr(0, 2) + L"\\" : rootless ? L"." : path.substr(0, slash + 1);
    std::wstring pattern = driveOnly ? path.substr(2) : rootless ? path : path.substr(slash + 1);
    if (pattern.empty())
        pattern = L"*.*";
    if (GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES) {
        const bool root = folder.size() <= 3;
        Print("Path not found - " + platform::ToUtf8(root ? folder : folder.substr(0, folder.size() - 1)) + "\r\n");
        return false;
    }
    const bool wildcards = pattern.find_first_of(L"*?") != std::wstring::npos;
    const bool changing = request.set || request.clear;
    bool matched = false, clean = true;
    standin::WalkFolder(folder, pattern, request.subfolders, [&](const std::wstring& found, const WIN32_FIND_DATAW& entry) {
        const DWORD attributes = entry.dwFileAttributes;
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && wildcards && !request.folders)
            return;
        matched = true;
        if (!changing) {
            ListEntry(found, attributes);
            return;
        }
        DWORD wanted = ((attributes & CHANGEABLE) & ~request.clear) | request.set;
        if (!SetFileAttributesW(found.c_str(), wanted ? wanted : FILE_ATTRIBUTE_NORMAL)) {
            Print("Access denied - " + platform::ToUtf8(found) + "\r\n");
            clean = false;
        }
    });
    if (!matched) {
        Print("File not found - " + platform::ToUtf8(path) + "\r\n");
        return false;
    }
    return clean;
}

} // namespace

int main()
{
    Request request;
    if (!ParseArguments(standin::Arguments(), request))
        standin::Exit(1);
    if (standin::MustFail(L"attrib")) {
        Print("Access denied - " + platform::ToUtf8(request.paths.front()) + "\r\n");
        standin::Exit(1);
    }
    bool clean = true;
    for (const auto& path : request.paths)
        clean = ApplyToPath(request, path) && clean;
    standin::Exit(clean ? 0 : 1);
}
