#include "RegistryHandles.h"

#include "RegistryDatabase.h"
#include "RegistryPath.h"

#include "platform/RegistrySeed.h"

#include <atomic>
#include <chrono>
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

// How long a batch read ahead stays fresh.
constexpr auto kBatchLife = std::chrono::milliseconds(50);

struct Listing {
    ListPosition position;
    std::vector<ListedItem> ahead; // ahead[next] is the item at position.index + 1
    size_t next = 0;
    uint64_t writes = 0;           // this process's registry writes when the batch was read
    std::chrono::steady_clock::time_point read;

    bool Fresh() const { return writes == WritesSoFar() && std::chrono::steady_clock::now() - read < kBatchLife; }
};

struct ListPositions {
    Listing subKeys;
    Listing values;

    Listing& Of(ListKind kind) { return kind == ListKind::SubKeys ? subKeys : values; }
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

bool TakeListed(HKEY key, ListKind kind, REGSAM rights, DWORD index, ListedItem& item)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    const auto handle = Handles().find(key);
    if (handle != Handles().end() && (handle->second.handle.granted & rights) != rights)
        return false;
    ListPositions* positions = PositionsOf(key);
    if (!positions)
        return false;
    Listing& listing = positions->Of(kind);
    if (listing.position.key == 0 || !listing.Fresh())
        return false;
    if (index == listing.position.index + 1 && listing.next < listing.ahead.size()) {
        listing.position.index = index;
        listing.position.item = std::move(listing.ahead[listing.next++]);
    } else if (index != listing.position.index) {
        return false;
    }
    item = listing.position.item;
    return true;
}

ListPosition ListPositionOf(HKEY key, ListKind kind)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    ListPositions* positions = PositionsOf(key);
    return positions ? positions->Of(kind).position : ListPosition{};
}

void KeepListed(HKEY key, ListKind kind, int64_t id, DWORD index, std::vector<ListedItem> items, uint64_t writes)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    ListPositions* positions = PositionsOf(key);
    if (!positions || items.empty())
        return;
    Listing& listing = positions->Of(kind);
    listing.position = {id, index, std::move(items.front())};
    listing.ahead = std::move(items);
    listing.next = 1;
    listing.writes = writes;
    listing.read = std::chrono::steady_clock::now();
}

bool DefaultView64() { return g_defaultView64.load(); }

} // namespace platform::registry

void platform::SetDefaultRegistryView64(bool view64) { registry::g_defaultView64.store(view64); }
