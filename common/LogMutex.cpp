#include "common/LogMutex.h"

#include <atomic>
#include <mutex>
#include <set>

namespace {

std::atomic<DWORD> g_patience {LOG_MUTEX_PATIENCE_MS};
// The names of the mutexes whose last wait in this process ran out.
std::mutex g_ranOutGuard;
std::set<std::wstring> g_ranOut;

bool RanOut(const std::wstring& name)
{
    std::lock_guard<std::mutex> lock(g_ranOutGuard);
    return g_ranOut.count(name) != 0;
}

void NoteRanOut(const std::wstring& name, bool ranOut)
{
    std::lock_guard<std::mutex> lock(g_ranOutGuard);
    if (ranOut)
        g_ranOut.insert(name);
    else
        g_ranOut.erase(name);
}

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
    std::lock_guard<std::mutex> lock(g_ranOutGuard);
    g_ranOut.clear();
}

void CLogMutex::Create(const std::wstring& name)
{
    Close();
    handle_ = CreateMutexW(nullptr, FALSE, name.c_str());
    name_ = name;
}

bool CLogMutex::Wait()
{
    if (!handle_)
        return false;
    const DWORD result = WaitForSingleObject(handle_, RanOut(name_) ? 0 : g_patience.load());
    const bool held = result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
    if (held || result == WAIT_TIMEOUT)
        NoteRanOut(name_, !held);
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
