// Where this process's machine root is, as its environment names it: read before the machine is.
#pragma once

#include <string>

namespace platform {

// The machine root (QUARNEL_MACHINE, else $XDG_DATA_HOME/orvane/machine or
// ~/.local/share/orvane/machine), absolute and folded; nothing of it is made or read.
std::string ConfiguredMachineRoot();

} // namespace platform
