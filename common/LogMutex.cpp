#include "common/LogMutex.h"

#include <atomic>

namespace {

std::atomic<DWORD> g_patience {LOG_MUTEX_PATIENCE_MS};
// Set when a wait ran out, until a writer of this process gets a log's mutex again.
std::atomic<bool> g_waitRanOut {false};

} // namespace

std::wstring MakeLogMutexName(bool inProgramFolder, const wchar_t* name)
{
    std::wstring mutexName = inProgramFolder ? L"Global\\_log_1_" : L"Global\\_log_0_";
    if (name)
        mutexName += name;
    // Formatted into 260 characters in the 32-bit build.
    if (mutexName.size() > MAX_PATH - 1)
        mutexName.resize(MAX_PATH - 1);
    return mutexName;
}

void SetLogMutexPatience(DWORD milliseconds)
{
    g_patience = milliseconds;
    g_waitRanOut = false;
}

void CLogMutex::Create(const std::wstring& name)
{
    Close();
    handle_ = CreateMutexW(nullptr, FALSE, name.c_str());
}

bool CLogMutex::Wait()
{
    if (!handle_)
        return false;
    const DWORD result = WaitForSingleObject(handle_, g_waitRanOut ? 0 : g_patience.load());
    const bool held = result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
    if (held || result == WAIT_TIMEOUT)
        g_waitRanOut = !held;
    return held;
}

void CLogMutex::Release()
{
    if (handle_)
        ReleaseMutex(handle_);
}

void CLogMutex::Close()
{
    if (handle_) {
        CloseHandle(handle_);
        handle_ = nullptr;
    }
}
