#include "winlib/Mutex.h"

Mutex::Mutex() : handle_(CreateMutexW(nullptr, FALSE, nullptr)) {}

Mutex::~Mutex()
{
    if (handle_)
        CloseHandle(handle_);
    handle_ = nullptr;
}

void Mutex::Lock()
{
    if (handle_)
        WaitForSingleObject(handle_, INFINITE);
}

void Mutex::Unlock()
{
    if (handle_)
        ReleaseMutex(handle_);
}
