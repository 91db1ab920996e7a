#include "ProcessCloser.h"

#include "common/WriteLog.h"

#include <climits>

namespace {

bool Closeable(quint64 processId)
{
    return processId != 0 && processId <= static_cast<quint64>(INT_MAX) && processId != GetCurrentProcessId();
}

} // namespace

QVector<quint64> CloseableProcessIds(const DWORD* processIds)
{
    QVector<quint64> ids;
    if (!processIds)
        return ids;
    for (int i = 0; i < kMaxProcessesPerApp && processIds[i] != 0; ++i) {
        if (Closeable(processIds[i]))
            ids.push_back(processIds[i]);
    }
    return ids;
}

bool TerminateProcessById(quint64 processId)
{
    if (!Closeable(processId))
        return false;
    HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, static_cast<DWORD>(processId));
    if (!process) {
        WriteLog(L"[Sweepdeck] OpenProcess %u fail %u", static_cast<unsigned>(processId), GetLastError());
        return false;
    }
    const BOOL ended = TerminateProcess(process, 0);
    if (!ended)
        WriteLog(L"[Sweepdeck] TerminateProcess %u fail %u", static_cast<unsigned>(processId), GetLastError());
    CloseHandle(process);
    return ended;
}
