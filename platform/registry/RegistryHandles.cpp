#include "RegistryHandles.h"

#include "RegistryPath.h"

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

struct ListPositions {
    ListPosition subKeys;
    ListPosition values;

    ListPosition& Of(ListKind kind) { return kind == ListKind::SubKeys ? subKeys : values; }
};

struct HandleEntry {
    KeyHandle handle;
    ListPositions positions;
};

std::unordered_map<HKEY, HandleEntry>& Handles()
{
    static auto* handles = new std::unordered_map<HKEY, HandleEntry>; // outlives every static destructor
    return *handles;
}

// The predefined keys are no handles of the table, yet they are listed too.
std::unordered_map<HKEY, ListPositions>& PredefinedPositions()
{
    static auto* positions = new std::unordered_map<HKEY, ListPositions>;
    return *positions;
}

// The positions kept for a key; null for a handle that is not open.
ListPositions* PositionsOf(HKEY key)
{
    if (const auto found = Handles().find(key); found != Handles().end())
        return &found->second.positions;
    return IsPredefinedKey(key) ? &PredefinedPositions()[key] : nullptr;
}

} // namespace

HKEY NewKeyHandle(const KeyHandle& handle)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    const auto key = reinterpret_cast<HKEY>(g_nextHandle);
    g_nextHandle += kHandleStep;
    Handles().emplace(key, HandleEntry{handle, {}});
    return key;
}

std::optional<KeyHandle> FindKeyHandle(HKEY key)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    const auto found = Handles().find(key);
    if (found == Handles().end())
        return std::nullopt;
    return found->second.handle;
}

bool ReleaseKeyHandle(HKEY key)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    return Handles().erase(key) != 0;
}

ListPosition ListPositionOf(HKEY key, ListKind kind)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    ListPositions* positions = PositionsOf(key);
    return positions ? positions->Of(kind) : ListPosition{};
}

void KeepListPosition(HKEY key, ListKind kind, const ListPosition& position)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    if (ListPositions* positions = PositionsOf(key))
        positions->Of(kind) = position;
}

bool DefaultView64() { return g_defaultView64.load(); }

} // namespace platform::registry

void platform::SetDefaultRegistryView64(bool view64) { registry::g_defaultView64.store(view64); }
