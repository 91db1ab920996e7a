#include "platform/win/Handles.h"

#include "platform/win/Errors.h"

#include <array>
#include <cstdint>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace platform {

namespace {

// The open handles by value. A call that may block (a wait, a read) holds its own reference, so
// closing the handle on another thread ends the handle but not the object under that call. A
// handle's value is its object's address, unless a handle handed over by the starter has that
// value already: then it is the address with its lowest bit set, which no address of an object
// (nor a starter's handle value) has. The table is split by value into parts with a lock each, so
// that threads opening and closing many handles at once seldom wait on each other.
using HandleMap = std::unordered_map<HANDLE, std::shared_ptr<KernelObject>>;

struct TablePart {
    std::mutex mutex;
    HandleMap handles;
};

constexpr size_t kTableParts = 64;

std::array<TablePart, kTableParts>& Table()
{
    static auto* parts = new std::array<TablePart, kTableParts>; // outlives every static destructor
    return *parts;
}

TablePart& PartOf(HANDLE value)
{
    // Objects are at least 16 bytes apart; the bits above tell neighbours apart.
    return Table()[(reinterpret_cast<uintptr_t>(value) >> 4) % kTableParts];
}

// The part of a handle, once the handles the starter handed over are in the table.
TablePart& LivePart(HANDLE value)
{
    static std::once_flag adopted;
    std::call_once(adopted, AdoptInheritedHandles);
    return PartOf(value);
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
    std::shared_ptr<KernelObject> owner(object);
    for (HANDLE value : {static_cast<HANDLE>(object), reinterpret_cast<HANDLE>(reinterpret_cast<uintptr_t>(object) | 1)}) {
        TablePart& part = LivePart(value);
        std::lock_guard<std::mutex> lock(part.mutex);
        if (part.handles.emplace(value, owner).second)
            return value;
    }
    return INVALID_HANDLE_VALUE;  // both values taken: cannot happen for a live object
}

bool AdoptHandle(HANDLE value, KernelObject* object)
{
    std::shared_ptr<KernelObject> owner(object);
    TablePart& part = PartOf(value);
    std::lock_guard<std::mutex> lock(part.mutex);
    return part.handles.emplace(value, std::move(owner)).second;
}

void ForEachHandle(const std::function<void(HANDLE, const std::shared_ptr<KernelObject>&)>& visit)
{
    std::vector<std::pair<HANDLE, std::shared_ptr<KernelObject>>> handles;
    LivePart(nullptr);
    for (TablePart& part : Table()) {
        std::lock_guard<std::mutex> lock(part.mutex);
        handles.insert(handles.end(), part.handles.begin(), part.handles.end());
    }
    for (const auto& [value, object] : handles)
        visit(value, object);
}

KernelObject* ObjectOf(HANDLE handle) { return HoldObject(handle).get(); }

std::shared_ptr<KernelObject> HoldObject(HANDLE handle)
{
    TablePart& part = LivePart(handle);
    std::lock_guard<std::mutex> lock(part.mutex);
    const auto found = part.handles.find(handle);
    return found == part.handles.end() ? nullptr : found->second;
}

} // namespace platform

BOOL CloseHandle(HANDLE handle)
{
    std::shared_ptr<platform::KernelObject> object;
    {
        platform::TablePart& part = platform::LivePart(handle);
        std::lock_guard<std::mutex> lock(part.mutex);
        const auto found = part.handles.find(handle);
        if (found != part.handles.end()) {
            object = std::move(found->second);
            part.handles.erase(found);
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
