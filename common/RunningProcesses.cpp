#include "common/RunningProcesses.h"

#include "common/WriteLog.h"
#include "platform/Text.h"

#include <algorithm>
#include <climits>

namespace running_processes {

std::vector<DWORD> IdsOf(const std::vector<std::wstring>& imageNames, size_t limit)
{
    std::vector<DWORD> ids;
    if (imageNames.empty() || limit == 0)
        return ids;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        WriteLog(L"no process list: %u", static_cast<unsigned>(GetLastError()));
        return ids;
    }
    const DWORD self = GetCurrentProcessId();
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more && ids.size() < limit;
         more = Process32NextW(snapshot, &entry)) {
        const DWORD id = entry.th32ProcessID;
        if (id == 0 || id > static_cast<DWORD>(INT_MAX) || id == self ||
            std::find(ids.begin(), ids.end(), id) != ids.end())
            continue;
        std::wstring image = entry.szExeFile;
        image = image.substr(image.find_last_of(L"\\/") + 1);
        if (std::any_of(imageNames.begin(), imageNames.end(),
                        [&image](const std::wstring& name) { return platform::EqualsIgnoringCase(image, name); }))
            ids.push_back(id);
    }
    CloseHandle(snapshot);
    return ids;
}

} // namespace running_processes
