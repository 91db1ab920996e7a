// Names that no other process can foresee, for drafts made create-new in folders another user may
// write: a name known in advance could be taken first, or planted as a link.
#pragma once

#include <string>

namespace platform {

// prefix, 128 random bits in hex, then suffix; false with errno set when no random bytes could be had.
bool UnguessableName(const std::string& prefix, const std::string& suffix, std::string& name);

} // namespace platform
