// The machine's change counter: NotifyWaiters bumps it and wakes every wait on several objects,
// in all processes of the machine, so that they look at their objects again.
#pragma once

#include <atomic>
#include <cstdint>

namespace platform {

std::atomic<uint32_t>& MachinePulse();
// Bumps a pulse taken earlier: for notices that must reach the machine they were meant for, even
// after the process has moved on to another machine or is ending.
void Bump(std::atomic<uint32_t>& pulse);

} // namespace platform
