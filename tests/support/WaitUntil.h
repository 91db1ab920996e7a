// Waiting for what a test expects to come: from another thread, another process or a timer.
#pragma once

#include <chrono>
#include <functional>
#include <thread>

namespace testing_support {

// How long a test waits for something that should come: far longer than it takes on a machine
// loaded far beyond its cores, since only a failing test waits that long.
constexpr std::chrono::milliseconds kPatience {180000};

// Checks the condition until it holds or the deadline has passed; whether it held.
inline bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds deadline = kPatience)
{
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

} // namespace testing_support
