// The key handles this process has open, and its default registry view. A handle remembers the
// key's id, the access it was opened with, its view and where listings of its subkeys and values
// stand; handle values are never reused, so a closed handle stays invalid.
#pragma once

#include "RegistryStore.h"

#include "platform/win/Types.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace platform::registry {

struct KeyHandle {
    int64_t id = 0;
    REGSAM granted = 0;
    bool view64 = false;
};

HKEY NewKeyHandle(const KeyHandle& handle);
std::optional<KeyHandle> FindKeyHandle(HKEY key);
// False when the handle is not open.
bool ReleaseKeyHandle(HKEY key);

enum class ListKind { SubKeys, Values };

// Listings through a handle (an open one or a predefined key) read their items from the store a
// batch at a time and hand out the rest of a batch from memory while it is fresh: read a moment
// ago, with no write of this process since. Thus a listing costs one store transaction per batch,
// not per item, and sees another process's change at the latest one moment later, as if it had
// asked a moment earlier.
constexpr size_t kListBatch = 128;

// The item at index from the batch the handle holds, when it is fresh, the handle grants rights
// and index is the one handed out last or the next; false when the store must be asked.
bool TakeListed(HKEY key, ListKind kind, REGSAM rights, DWORD index, ListedItem& item);

// Where the last listing through the handle stood (a position of no key when none).
ListPosition ListPositionOf(HKEY key, ListKind kind);

// Keeps a batch read from the store for the key: items[0] is at index. writes is WritesSoFar()
// from before the batch was read.
void KeepListed(HKEY key, ListKind kind, int64_t id, DWORD index, std::vector<ListedItem> items, uint64_t writes);

bool DefaultView64();

} // namespace platform::registry
