// The key handles this process has open, and its default registry view. A handle remembers the
// key's id, the access it was opened with and its view; handle values are never reused, so a
// closed handle stays invalid.
#pragma once

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

bool DefaultView64();

} // namespace platform::registry
