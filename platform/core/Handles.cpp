#include "platform/win/Handles.h"

#include "platform/win/Errors.h"

#include <mutex>
#include <unordered_map>

namespace platform {

namespace {

std::mutex g_mutex;
// The open handles. A call that may block (a wait, a read) holds its own reference, so closing the
// handle on another thread ends the handle but not the object under that call.
using HandleTable = std::unordered_map<KernelObject*, std::shared_ptr<KernelObject>>;
HandleTable& Live()
{
    static auto* live = new HandleTable; // outlives every static destructor
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
    Live().emplace(object, std::shared_ptr<KernelObject>(object));
    return object;
}

KernelObject* ObjectOf(HANDLE handle) { return HoldObject(handle).get(); }

std::shared_ptr<KernelObject> HoldObject(HANDLE handle)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    const auto found = Live().find(static_cast<KernelObject*>(handle));
    return found == Live().end() ? nullptr : found->second;
}

} // namespace platform

BOOL CloseHandle(HANDLE handle)
{
    std::shared_ptr<platform::KernelObject> object;
    {
        std::lock_guard<std::mutex> lock(platform::g_mutex);
        const auto found = platform::Live().find(static_cast<platform::KernelObject*>(handle));
        if (found != platform::Live().end()) {
            object = std::move(found->second);
            platform::Live().erase(found);
        }
    }
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE; // the object goes with the last reference, here or at the end of a call under way
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds)
{
    const std::shared_ptr<platform::KernelObject> object = platform::HoldObject(handle);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return WAIT_FAILED;
    }
    return object->Wait(milliseconds);
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead, LPOVERLAPPED)
{
    DWORD done = 0;
    const std::shared_ptr<platform::KernelObject> object = platform::HoldObject(file);
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
    const std::shared_ptr<platform::KernelObject> object = platform::HoldObject(file);
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
    const std::shared_ptr<platform::KernelObject> object = platform::HoldObject(file);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return object->Flush() ? TRUE : FALSE;
}
