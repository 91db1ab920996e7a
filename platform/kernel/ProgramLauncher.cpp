#include "ProgramLauncher.h"

#include "ExitChannel.h"
#include "RootsPrograms.h"

#include "files/FilePaths.h"

#include "platform/Machine.h"
#include "platform/Text.h"
#include "platform/win/CommandLine.h"
#include "platform/win/Errors.h"
#include "platform/win/ShellFolders.h"

#include <cstdlib>
#include <utility>
#include <sys/stat.h>
#include <unistd.h>

extern char** environ;

namespace platform {

namespace {

bool IsRegularFile(const std::string& path)
{
    struct stat st {};
    return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsFolder(const std::string& path)
{
    struct stat st {};
    return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool EndsWithExe(const std::wstring& name)
{
    return name.size() > 4 && EqualsIgnoringCase(name.substr(name.size() - 4), L".exe");
}

std::string NameOf(const std::string& entry) { return entry.substr(0, entry.find('=')); }

// The host path of the first variant that is a file in the Windows folder, or "".
std::string ResolveProgramIn(const std::wstring& folder, const std::wstring (&variants)[2])
{
    for (const auto& variant : variants) {
        const std::string host = HostPath(folder.empty() ? variant : folder + L"\\" + variant);
        if (IsRegularFile(host))
            return host;
    }
    return {};
}

// Whether a Windows path names a program of the machine's system folders.
bool InSystemFolder(const std::wstring& program)
{
    const std::wstring full = files::FullWindowsPath(program);
    const std::wstring folder = full.substr(0, full.find_last_of(L'\\'));
    WCHAR system[MAX_PATH] = {}, wow64[MAX_PATH] = {};
    return (GetSystemDirectoryW(system, MAX_PATH) && EqualsIgnoringCase(folder, system)) ||
           (GetSystemWow64DirectoryW(wow64, MAX_PATH) && EqualsIgnoringCase(folder, wow64));
}

} // namespace

std::string ResolveProgram(const std::wstring& program)
{
    const std::wstring variants[] = {
        program, EndsWithExe(program) ? program.substr(0, program.size() - 4) : program + L".exe"};
    const bool isPath = program.find_first_of(L"\\/:") != std::wstring::npos;
    // Root runs no program of the machine's system folders, which the machine's user owns, but
    // its own copy of the stand-in.
    if (StartsOnlyRootsPrograms() && !program.empty() && (!isPath || InSystemFolder(program))) {
        const std::string own = isPath ? std::string() : ResolveProgramIn(Machine().programFolder, variants);
        const std::string system = own.empty() ? RootsSystemProgram(program) : own;
        if (system.empty())
            SetLastError(ERROR_FILE_NOT_FOUND);
        return system;
    }
    std::vector<std::wstring> folders;
    if (isPath)
        folders.emplace_back();
    else
        folders = {Machine().programFolder, L"C:\\Windows\\System32"};
    if (!program.empty()) {
        for (const auto& folder : folders)
            if (std::string host = ResolveProgramIn(folder, variants); !host.empty())
                return host;
    }
    const std::string host = isPath ? HostPath(program) : std::string();
    const bool folderMissing = isPath && (host.empty() || !IsFolder(host.substr(0, host.rfind('/') + 1)));
    SetLastError(folderMissing ? ERROR_PATH_NOT_FOUND : ERROR_FILE_NOT_FOUND);
    return {};
}

std::string ProgramHostPath(const std::wstring& program) { return ResolveProgram(program); }

std::string HostFolder(const std::wstring& folder)
{
    const std::string host = HostPath(folder);
    if (!IsFolder(host)) {
        SetLastError(ERROR_DIRECTORY);
        return {};
    }
    return host;
}

std::vector<std::string> OwnEnvironment()
{
    std::vector<std::string> environment;
    for (char** entry = environ; entry && *entry; ++entry)
        environment.emplace_back(*entry);
    return environment;
}

std::shared_ptr<ChildProcess> StartProgram(const ProgramStart& start)
{
    LaunchRequest request;
    request.program = start.program;
    for (const auto& argument : SplitCommandLine(start.commandLine))
        request.arguments.push_back(ToUtf8(argument));
    // The child knows the machine and program folder this process uses, and learns its own
    // command line and handles; what the starter's block says of the layer's other variables is
    // dropped.
    for (const auto& entry : start.environment) {
        const std::string name = NameOf(entry);
        if (name != "QUARNEL_COMMAND_LINE" && name != kExitChannelVariable && name != kInheritedHandlesVariable)
            request.environment.push_back(entry);
    }
    // A program of the machine learns the program folder from its starter however it was started,
    // so that a stand-in Windows program finds the scripts the program wrote there.
    const std::pair<const char*, std::string> inherited[] = {
        {"QUARNEL_MACHINE", std::getenv("QUARNEL_MACHINE") ? std::getenv("QUARNEL_MACHINE") : ""},
        {"QUARNEL_PROGRAM_FOLDER", ProgramFolder()}};
    for (const auto& [name, value] : inherited) {
        bool given = false;
        for (const auto& entry : request.environment)
            given = given || NameOf(entry) == name;
        if (!value.empty() && !given)
            request.environment.push_back(std::string(name) + "=" + value);
    }
    request.environment.push_back("QUARNEL_COMMAND_LINE=" + ToUtf8(start.commandLine));
    if (!start.inherited.variable.empty())
        request.environment.push_back(start.inherited.variable);
    request.inherited = start.inherited.descriptors;
    request.folder = start.folder;
    for (int i = 0; i < 3; ++i)
        request.standard[i] = start.standard[i];
    request.exitChannel = true;
    const std::wstring systemImage = SystemProgramImage(start.program);
    request.image = systemImage.empty() ? WindowsPath(start.program) : systemImage;
    return ChildProcess::Start(request);
}

} // namespace platform
