#include "platform/win/Handles.h"

#include "platform/win/Errors.h"

#include <cstdint>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace platform {

namespace {

std::mutex g_mutex;
// The open handles by value. A call that may block (a wait, a read) holds its own reference, so
// closing the handle on another thread ends the handle but not the object under that call. A
// handle's value is its object's address, unless a handle handed over by the starter has that
// value already: then it is the address with its lowest bit set, which no address of an object
// (nor a starter's handle value) has.
using HandleTable = std::unordered_map<HANDLE, std::shared_ptr<KernelObject>>;
HandleTable& Table()
{
    static auto* live = new HandleTable; // outlives every static destructor
    return *live;
}

// The table, once the handles the starter handed over are in it.
HandleTable& Live()
{
    static std::once_flag adopted;
    std::call_once(adopted, AdoptInheritedHandles);
    return Table();
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
    HandleTable& live = Live();
    std::lock_guard<std::mutex> lock(g_mutex);
    HANDLE value = object;
    if (live.count(value))
        value = reinterpret_cast<HANDLE>(reinterpret_cast<uintptr_t>(object) | 1);
    live.emplace(value, std::shared_ptr<KernelObject>(object));
    return value;
}

bool AdoptHandle(HANDLE value, KernelObject* object)
{
    std::shared_ptr<KernelObject> owner(object);
    std::lock_guard<std::mutex> lock(g_mutex);
    return Table().emplace(value, std::move(owner)).second;
}

void ForEachHandle(const std::function<void(HANDLE, const std::shared_ptr<KernelObject>&)>& visit)
{
    std::vector<std::pair<HANDLE, std::shared_ptr<KernelObject>>> handles;
    {
        HandleTable& live = Live();
        std::lock_guard<std::mutex> lock(g_mutex);
        handles.assign(live.begin(), live.end());
    }
    for (const auto& [value, object] : handles)
        visit(value, object);
}

KernelObject* ObjectOf(HANDLE handle) { return HoldObject(handle).get(); }

std::shared_ptr<KernelObject> HoldObject(HANDLE handle)
{
    HandleTable& live = Live();
    std::lock_guard<std::mutex> lock(g_mutex);
    const auto found = live.find(handle);
    return found == live.end() ? nullptr : found->second;
}

} // namespace platform

BOOL CloseHandle(HANDLE handle)
{
    std::shared_ptr<platform::KernelObject> object;
    {
        platform::HandleTable& live = platform::Live();
        std::lock_guard<std::mutex> lock(platform::g_mutex);
        const auto found = live.find(handle);
        if (found != live.end()) {
            object = std::move(found->second);
            live.erase(found);
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
