// How the micro-benchmarks time their calls: in the thread's own processor time (user and kernel),
// so that other work on the host weighs less, and as the median of several rounds after a
// warming one.
#pragma once

#include <algorithm>
#include <ctime>
#include <functional>
#include <vector>

namespace bench {

inline double ThreadNanoseconds()
{
    timespec now {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e9 + static_cast<double>(now.tv_nsec);
}

// Nanoseconds per unit of the median round; work returns the units it did, or a negative number
// when a call failed (the result is then -1).
inline double NanosecondsPerUnit(int rounds, const std::function<long()>& work)
{
    std::vector<double> perUnit;
    for (int round = 0; round <= rounds; ++round) {
        const double start = ThreadNanoseconds();
        const long units = work();
        const double took = ThreadNanoseconds() - start;
        if (units <= 0)
            return -1;
        if (round > 0)
            perUnit.push_back(took / static_cast<double>(units));
    }
    std::sort(perUnit.begin(), perUnit.end());
    return perUnit[perUnit.size() / 2];
}

} // namespace bench
