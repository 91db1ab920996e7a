// The key handles this process has open, and its default registry view. A handle remembers the
// key's id, the access it was opened with, its view and where listings of its subkeys and values
// stand; handle values are never reused, so a closed handle stays invalid.
#pragma once

#include "RegistryStore.h"

#include "platform/win/Types.h"

#include <cstdint>
#include <optional>

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

// Where the last listing through a handle (an open one or a predefined key) stood; a position of
// no key when none was kept.
ListPosition ListPositionOf(HKEY key, ListKind kind);
void KeepListPosition(HKEY key, ListKind kind, const ListPosition& position);

bool DefaultView64();

} // namespace platform::registry
