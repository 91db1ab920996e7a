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
