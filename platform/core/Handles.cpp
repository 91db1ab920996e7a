#include "platform/win/Handles.h"

#include "platform/win/Errors.h"

#include <mutex>
#include <unordered_set>

namespace platform {

namespace {

std::mutex g_mutex;
std::unordered_set<KernelObject*>& Live()
{
    static auto* live = new std::unordered_set<KernelObject*>; // outlives every static destructor
    return *live;
}

} // namespace

DWORD KernelObject::Wait(DWORD)
{
    SetLastError(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
}

bool KernelObject::Read(void*, DWORD, DWORD& done)
{
    done = 0;
    SetLastError(ERROR_INVALID_HANDLE);
    return false;
}

bool KernelObject::Write(const void*, DWORD, DWORD& done)
{
    done = 0;
    SetLastError(ERROR_INVALID_HANDLE);
    return false;
}

bool KernelObject::Flush()
{
    SetLastError(ERROR_INVALID_HANDLE);
    return false;
}

HANDLE HandleOf(KernelObject* object)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    Live().insert(object);
    return object;
}

KernelObject* ObjectOf(HANDLE handle)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    auto* object = static_cast<KernelObject*>(handle);
    return Live().count(object) ? object : nullptr;
}

} // namespace platform

BOOL CloseHandle(HANDLE handle)
{
    platform::KernelObject* object = nullptr;
    {
        std::lock_guard<std::mutex> lock(platform::g_mutex);
        auto* candidate = static_cast<platform::KernelObject*>(handle);
        if (platform::Live().erase(candidate))
            object = candidate;
    }
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    delete object;
    return TRUE;
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds)
{
    platform::KernelObject* object = platform::ObjectOf(handle);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return WAIT_FAILED;
    }
    return object->Wait(milliseconds);
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead, LPOVERLAPPED)
{
    DWORD done = 0;
    platform::KernelObject* object = platform::ObjectOf(file);
    bool ok = false;
    if (!object)
        SetLastError(ERROR_INVALID_HANDLE);
    else if (!buffer && bytesToRead)
        SetLastError(ERROR_INVALID_PARAMETER);
    else
        ok = object->Read(buffer, bytesToRead, done);
    if (bytesRead)
        *bytesRead = done;
    return ok ? TRUE : FALSE;
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD bytesToWrite, LPDWORD bytesWritten, LPOVERLAPPED)
{
    DWORD done = 0;
    platform::KernelObject* object = platform::ObjectOf(file);
    bool ok = false;
    if (!object)
        SetLastError(ERROR_INVALID_HANDLE);
    else if (!buffer && bytesToWrite)
        SetLastError(ERROR_INVALID_PARAMETER);
    else
        ok = object->Write(buffer, bytesToWrite, done);
    if (bytesWritten)
        *bytesWritten = done;
    return ok ? TRUE : FALSE;
}

BOOL FlushFileBuffers(HANDLE file)
{
    platform::KernelObject* object = platform::ObjectOf(file);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return object->Flush() ? TRUE : FALSE;
}
