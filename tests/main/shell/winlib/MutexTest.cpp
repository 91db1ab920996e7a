#include "winlib/LockGuard.h"
#include "winlib/Mutex.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

using namespace std::chrono_literals;

// Starts a thread that takes the lock and marks when it got it.
class Contender {
public:
    explicit Contender(IMyLock& lock)
        : thread_([this, &lock] {
              const CLockGuard guard(&lock);
              acquired_ = true;
          })
    {
    }
    ~Contender() { thread_.join(); }

    bool Acquired() const { return acquired_; }

private:
    std::atomic<bool> acquired_{false};
    std::thread thread_;
};

TEST(Mutex, IsRecursiveForItsOwnerAndKeepsOthersOutUntilFullyReleased)
{
    Mutex mutex;
    mutex.Lock();
    mutex.Lock();
    {
        Contender other(mutex);
        std::this_thread::sleep_for(50ms);
        EXPECT_FALSE(other.Acquired());
        mutex.Unlock();
        std::this_thread::sleep_for(50ms);
        EXPECT_FALSE(other.Acquired());
        mutex.Unlock();
    }
}

TEST(Mutex, GuardsNestAndRelease)
{
    Mutex mutex;
    {
        const CLockGuard outer(&mutex);
        const CLockGuard inner(&mutex);
    }
    Contender other(mutex);
    EXPECT_TRUE(testing_support::WaitUntil([&] { return other.Acquired(); }));
}

} // namespace
