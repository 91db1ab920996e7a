// The machine's change counter: NotifyWaiters bumps it and wakes every wait on several objects,
// in all processes of the machine, so that they look at their objects again.
#pragma once

#include <atomic>
#include <cstdint>

namespace platform {

std::atomic<uint32_t>& MachinePulse();

} // namespace platform
