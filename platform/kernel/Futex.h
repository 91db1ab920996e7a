// Blocking on a 32-bit word, also across processes when the word lies in a shared mapping, and the
// deadlines of Windows' millisecond time-outs.
#pragma once

#include "platform/win/Types.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <ctime>

namespace platform {

class Deadline {
public:
    explicit Deadline(DWORD timeoutMs);
    bool Infinite() const { return infinite_; }
    bool Passed() const;
    // Milliseconds left (INFINITE for no limit), at most capMs.
    DWORD Remaining(DWORD capMs = INFINITE) const;
    // The deadline on CLOCK_MONOTONIC, for the host's absolute-time waits.
    timespec Monotonic() const;

private:
    bool infinite_;
    std::chrono::steady_clock::time_point end_;
};

// Sleeps while word holds expected, at most timeoutMs (INFINITE: no limit). May return early;
// callers look again.
void FutexWait(std::atomic<uint32_t>& word, uint32_t expected, DWORD timeoutMs);
void FutexWakeAll(std::atomic<uint32_t>& word);

} // namespace platform
