// The machine's process list: the logged-on user's shell while it runs, the running processes
// started through the layer by any process of the machine, and the calling program.
#include "platform/win/ToolHelp.h"

#include "ProcessRecord.h"
#include "ShellProcess.h"

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

// A program's file name as Windows shows it, "Sweepdeck.exe" for the host's "Sweepdeck".
std::wstring ImageName(const std::wstring& path)
{
    std::wstring name = path.substr(path.find_last_of(L'\\') + 1);
    if (name.find(L'.') == std::wstring::npos)
        name += L".exe";
    return name;
}

std::wstring OwnImage()
{
    WCHAR path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
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
    DWORD selfParent = 0;
    if (platform::ShellRunning())
        snapshot->entries.push_back(Entry(platform::kShellProcessId, 0, L"explorer.exe"));
    for (const auto& record : platform::ProcessRecord::Running()) {
        const auto id = static_cast<DWORD>(record->Pid());
        if (id == self)
            selfParent = static_cast<DWORD>(record->Parent());
        else
            snapshot->entries.push_back(Entry(id, static_cast<DWORD>(record->Parent()), ImageName(record->Image())));
    }
    snapshot->entries.push_back(Entry(self, selfParent, ImageName(OwnImage())));
    return platform::HandleOf(snapshot);
}

BOOL Process32FirstW(HANDLE snapshot, LPPROCESSENTRY32W entry) { return CopyNext(snapshot, entry, true); }

BOOL Process32NextW(HANDLE snapshot, LPPROCESSENTRY32W entry) { return CopyNext(snapshot, entry, false); }
