#include "Futex.h"

#include <climits>
#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace platform {

static_assert(sizeof(std::atomic<uint32_t>) == sizeof(uint32_t) && std::atomic<uint32_t>::is_always_lock_free,
              "futex words must be plain 32-bit words");

Deadline::Deadline(DWORD timeoutMs)
    : infinite_(timeoutMs == INFINITE),
      end_(std::chrono::steady_clock::now() + std::chrono::milliseconds(infinite_ ? 0 : timeoutMs))
{
}

bool Deadline::Passed() const { return !infinite_ && std::chrono::steady_clock::now() >= end_; }

DWORD Deadline::Remaining(DWORD capMs) const
{
    if (infinite_)
        return capMs;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(end_ - std::chrono::steady_clock::now()).count();
    if (left <= 0)
        return 0;
    return left < static_cast<long long>(capMs) ? static_cast<DWORD>(left) : capMs;
}

timespec Deadline::Monotonic() const
{
    // steady_clock is CLOCK_MONOTONIC with glibc
    const auto since = std::chrono::duration_cast<std::chrono::nanoseconds>(end_.time_since_epoch()).count();
    return timespec {static_cast<time_t>(since / 1000000000), static_cast<long>(since % 1000000000)};
}

void FutexWait(std::atomic<uint32_t>& word, uint32_t expected, DWORD timeoutMs)
{
    if (timeoutMs == 0)
        return;
    timespec relative {static_cast<time_t>(timeoutMs / 1000), static_cast<long>(timeoutMs % 1000) * 1000000};
    syscall(SYS_futex, reinterpret_cast<uint32_t*>(&word), FUTEX_WAIT, expected,
            timeoutMs == INFINITE ? nullptr : &relative, nullptr, 0);
}

void FutexWakeAll(std::atomic<uint32_t>& word)
{
    syscall(SYS_futex, reinterpret_cast<uint32_t*>(&word), FUTEX_WAKE, INT_MAX, nullptr, nullptr, 0);
}

} // namespace platform
