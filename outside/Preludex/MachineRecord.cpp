#include "MachineRecord.h"

#include "common/LineFile.h"
#include "common/LogMutex.h"
#include "common/ParentFolders.h"
#include "platform/Windows.h"

#include <algorithm>
#include <cstdio>

namespace {

// One mutex a record file, so that a write that falls short can be taken back before another
// writer appends behind it.
std::wstring RecordMutexName(const std::wstring& windowsPath)
{
    std::wstring path = windowsPath;
    std::replace(path.begin(), path.end(), L'\\', L'/');
    return L"Global\\_record_" + path;
}

} // namespace

std::string LocalTimeText()
{
    SYSTEMTIME now = {};
    GetLocalTime(&now);
    char text[64];
    std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02u.%03u", now.wYear, now.wMonth, now.wDay,
                  now.wHour, now.wMinute, now.wSecond, now.wMilliseconds);
    return text;
}

bool AppendMachineLine(const std::wstring& windowsPath, const std::string& line)
{
    EnsureFolder(FolderOf(windowsPath));
    CLogMutex mutex;
    mutex.Create(RecordMutexName(windowsPath));
    bool appended = false;
    DWORD error = ERROR_SUCCESS;
    {
        CLogMutexLock lock(mutex);
        CLineFile file;
        appended = file.Open(windowsPath) && file.AppendLine(line + "\n", "\n", 1);
        error = GetLastError();
    }
    SetLastError(appended ? ERROR_SUCCESS : error);
    return appended;
}
