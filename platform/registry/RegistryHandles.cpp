#include "RegistryHandles.h"

#include "platform/RegistrySeed.h"

#include <atomic>
#include <mutex>
#include <unordered_map>

namespace platform::registry {

namespace {

// Handle values are multiples of four, as Windows' are, far below the predefined keys' values.
constexpr uintptr_t kFirstHandle = 0x1000;
constexpr uintptr_t kHandleStep = 4;

std::mutex g_mutex;
uintptr_t g_nextHandle = kFirstHandle;
std::atomic<bool> g_defaultView64{false};

std::unordered_map<HKEY, KeyHandle>& Handles()
{
    static auto* handles = new std::unordered_map<HKEY, KeyHandle>; // outlives every static destructor
    return *handles;
}

} // namespace

HKEY NewKeyHandle(const KeyHandle& handle)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    const auto key = reinterpret_cast<HKEY>(g_nextHandle);
    g_nextHandle += kHandleStep;
    Handles().emplace(key, handle);
    return key;
}

std::optional<KeyHandle> FindKeyHandle(HKEY key)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    const auto found = Handles().find(key);
    if (found == Handles().end())
        return std::nullopt;
    return found->second;
}

bool ReleaseKeyHandle(HKEY key)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    return Handles().erase(key) != 0;
}

bool DefaultView64() { return g_defaultView64.load(); }

} // namespace platform::registry

void platform::SetDefaultRegistryView64(bool view64) { registry::g_defaultView64.store(view64); }
