// The machine's process list: the logged-on user's shell while it runs, then the calling program.
#include "platform/win/ToolHelp.h"

#include "platform/IniFile.h"
#include "platform/Machine.h"
#include "platform/win/Errors.h"
#include "platform/win/Handles.h"
#include "platform/win/Module.h"
#include "platform/win/Process.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

class ProcessSnapshot final : public platform::KernelObject {
public:
    std::vector<PROCESSENTRY32W> entries;
    size_t next = 0;
};

bool ShellRunning()
{
    return platform::IniFile(platform::MachineIniPath()).GetInt(L"Machine", L"ShellRunning", 1) != 0;
}

PROCESSENTRY32W Entry(DWORD processId, DWORD parentId, std::wstring exeFile)
{
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    entry.th32ProcessID = processId;
    entry.th32ParentProcessID = parentId;
    entry.cntThreads = 1;
    entry.pcPriClassBase = 8;
    exeFile.resize(std::min<size_t>(exeFile.size(), MAX_PATH - 1));
    std::copy(exeFile.begin(), exeFile.end(), entry.szExeFile);
    return entry;
}

// The running program's file name as Windows shows it, "Sweepdeck.exe" for the host's "Sweepdeck".
std::wstring ProgramName()
{
    WCHAR path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring name = path;
    name = name.substr(name.find_last_of(L'\\') + 1);
    if (name.find(L'.') == std::wstring::npos)
        name += L".exe";
    return name;
}

bool CopyNext(HANDLE snapshot, LPPROCESSENTRY32W entry, bool first)
{
    auto* list = dynamic_cast<ProcessSnapshot*>(platform::ObjectOf(snapshot));
    if (!list) {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    if (!entry || entry->dwSize < sizeof(PROCESSENTRY32W)) {
        SetLastError(ERROR_BAD_LENGTH);
        return false;
    }
    if (first)
        list->next = 0;
    if (list->next >= list->entries.size()) {
        SetLastError(ERROR_NO_MORE_FILES);
        return false;
    }
    *entry = list->entries[list->next++];
    return true;
}

} // namespace

HANDLE CreateToolhelp32Snapshot(DWORD flags, DWORD)
{
    if (flags != TH32CS_SNAPPROCESS) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    auto* snapshot = new ProcessSnapshot;
    const DWORD self = GetCurrentProcessId();
    if (ShellRunning())
        snapshot->entries.push_back(Entry(self, 0, L"explorer.exe"));
    snapshot->entries.push_back(Entry(self, 0, ProgramName()));
    return platform::HandleOf(snapshot);
}

BOOL Process32FirstW(HANDLE snapshot, LPPROCESSENTRY32W entry) { return CopyNext(snapshot, entry, true); }

BOOL Process32NextW(HANDLE snapshot, LPPROCESSENTRY32W entry) { return CopyNext(snapshot, entry, false); }
