#include "platform/win/Environment.h"

#include "platform/Machine.h"
#include "platform/Text.h"

#include "BufferRules.h"
#include "WindowsFolders.h"

#include <map>
#include <mutex>

extern char** environ;

namespace {

struct Variable {
    std::wstring name; // as it was set
    std::wstring value;
};

std::mutex g_mutex;
std::map<std::wstring, Variable> g_variables; // by upper-cased name
const platform::MachineDescription* g_seededFrom = nullptr;

void Put(const std::wstring& name, const std::wstring& value)
{
    g_variables[platform::UpperCase(name)] = Variable{name, value};
}

void Seed(const platform::MachineDescription& machine)
{
    g_variables.clear();
    for (char** entry = environ; entry && *entry; ++entry) {
        const std::wstring text = platform::FromUtf8(*entry);
        const auto equals = text.find(L'=', 1);
        if (equals != std::wstring::npos)
            Put(text.substr(0, equals), text.substr(equals + 1));
    }
    const platform::WindowsFolders f = platform::FoldersOf(machine);
    const std::pair<const wchar_t*, std::wstring> fromMachine[] = {
        {L"USERPROFILE", f.profile},
        {L"APPDATA", f.roamingAppData},
        {L"LOCALAPPDATA", f.localAppData},
        {L"TEMP", f.temp},
        {L"TMP", f.temp},
        {L"windir", f.windows},
        {L"SystemRoot", f.windows},
        {L"SystemDrive", L"C:"},
        {L"ProgramFiles", f.programFiles},
        {L"CommonProgramFiles", f.commonFiles},
        {L"ProgramData", f.programData},
        {L"ALLUSERSPROFILE", f.programData},
        {L"PUBLIC", f.publicProfile},
        {L"COMPUTERNAME", machine.computerName},
        {L"USERNAME", machine.userName},
        // A 32-bit process under WOW64 sees x86 and learns the machine's own architecture apart.
        {L"PROCESSOR_ARCHITECTURE", L"x86"},
    };
    for (const auto& [name, value] : fromMachine)
        Put(name, value);
    // Only WOW64 tells a 32-bit process where the 64-bit programs are.
    const std::pair<const wchar_t*, std::wstring> underWow64[] = {
        {L"ProgramFiles(x86)", f.programFiles},
        {L"CommonProgramFiles(x86)", f.commonFiles},
        {L"ProgramW6432", f.programFilesNative},
        {L"CommonProgramW6432", f.commonFilesNative},
        {L"PROCESSOR_ARCHITEW6432", L"AMD64"},
    };
    for (const auto& [name, value] : underWow64) {
        if (machine.is64BitWindows)
            Put(name, value);
        else
            g_variables.erase(platform::UpperCase(name));
    }
}

// The variables, seeded again when the machine changed (tests switch machines; a process's own
// changes last as long as its machine).
std::map<std::wstring, Variable>& Variables()
{
    const auto& machine = platform::Machine();
    if (g_seededFrom != &machine) {
        Seed(machine);
        g_seededFrom = &machine;
    }
    return g_variables;
}

std::optional<std::wstring> Lookup(const std::wstring& name)
{
    const auto& variables = Variables();
    const auto it = variables.find(platform::UpperCase(name));
    if (it == variables.end())
        return std::nullopt;
    return it->second.value;
}

std::wstring Expand(const std::wstring& text)
{
    std::wstring out;
    size_t pos = 0;
    while (pos < text.size()) {
        const auto open = text.find(L'%', pos);
        const auto close = open == std::wstring::npos ? std::wstring::npos : text.find(L'%', open + 1);
        if (close == std::wstring::npos) {
            out.append(text, pos, std::wstring::npos);
            break;
        }
        out.append(text, pos, open - pos);
        const std::wstring name = text.substr(open + 1, close - open - 1);
        const auto value = name.empty() ? std::nullopt : Lookup(name);
        if (value)
            out += *value;
        else
            out.append(text, open, close - open + 1);
        pos = close + 1;
    }
    return out;
}

} // namespace

namespace platform {

std::optional<std::wstring> EnvironmentValue(const std::wstring& name)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    return Lookup(name);
}

} // namespace platform

DWORD GetEnvironmentVariableW(LPCWSTR name, LPWSTR buffer, DWORD size)
{
    if (!name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const auto value = platform::EnvironmentValue(name);
    if (!value) {
        SetLastError(ERROR_ENVVAR_NOT_FOUND);
        return 0;
    }
    if (value->empty())
        SetLastError(ERROR_SUCCESS);
    return platform::CopyOrMeasure(*value, buffer, size);
}

BOOL SetEnvironmentVariableW(LPCWSTR name, LPCWSTR value)
{
    if (!name || !*name || std::wstring(name).find(L'=', 1) != std::wstring::npos) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::lock_guard<std::mutex> lock(g_mutex);
    auto& variables = Variables();
    if (value)
        Put(name, value);
    else
        variables.erase(platform::UpperCase(name));
    return TRUE;
}

DWORD ExpandEnvironmentStringsW(LPCWSTR source, LPWSTR destination, DWORD size)
{
    if (!source) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::wstring expanded;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        expanded = Expand(source);
    }
    platform::CopyOrMeasure(expanded, destination, size);
    return static_cast<DWORD>(expanded.size() + 1);
}
