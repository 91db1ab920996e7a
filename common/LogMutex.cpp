#include "common/LogMutex.h"

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

void CLogMutex::Create(const std::wstring& name)
{
    Close();
    handle_ = CreateMutexW(nullptr, FALSE, name.c_str());
}

void CLogMutex::Wait()
{
    if (handle_)
        WaitForSingleObject(handle_, INFINITE);
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
