#include "platform/ChangeWatch.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <pthread.h>
#include <sys/inotify.h>
#include <unistd.h>

namespace platform {

namespace {

// A forked child shares its parent's queue: reading it would take the parent's changes. The child
// counts the fork and opens a queue of its own.
std::atomic<unsigned long> g_forks{0};

void CountFork() { g_forks.fetch_add(1, std::memory_order_relaxed); }

} // namespace

ChangeWatch& ChangeWatch::Shared()
{
    static auto* shared = [] {
        pthread_atfork(nullptr, nullptr, CountFork);
        return new ChangeWatch; // outlives every static destructor
    }();
    return *shared;
}

void ChangeWatch::Listen(Listener listener)
{
    std::lock_guard<std::mutex> lock(drainMutex_);
    listeners_.push_back(std::move(listener));
}

// The queue is opened once per process and never replaced while the process runs, so that watches
// may be added without the drain's lock.
int ChangeWatch::Queue()
{
    static std::mutex openMutex;
    std::lock_guard<std::mutex> lock(openMutex);
    const unsigned long forks = g_forks.load(std::memory_order_relaxed);
    if (fd_ >= 0 && forks_ == forks)
        return fd_;
    if (fd_ >= 0)
        close(fd_);
    forks_ = forks;
    fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    return fd_;
}

int ChangeWatch::Watch(const std::string& path, uint32_t events)
{
    const int fd = Queue();
    return fd >= 0 ? inotify_add_watch(fd, path.c_str(), events | IN_MASK_ADD) : -1;
}

void ChangeWatch::Unwatch(int watch)
{
    if (watch >= 0 && fd_ >= 0)
        inotify_rm_watch(fd_, watch);
}

void ChangeWatch::Deliver(int watch, uint32_t event, const char* name)
{
    for (const Listener& listener : listeners_)
        listener(watch, event, name);
}

bool ChangeWatch::Drain()
{
    // Callers look at errno of their own calls around this one.
    const int callerErrno = errno;
    std::lock_guard<std::mutex> lock(drainMutex_);
    const bool inherited = fd_ >= 0 && forks_ != g_forks.load(std::memory_order_relaxed);
    const int fd = Queue();
    if (inherited)
        Deliver(-1, 0, "");
    constexpr ssize_t kLargestEvent = sizeof(inotify_event) + NAME_MAX + 1;
    alignas(inotify_event) char buffer[16 * kLargestEvent];
    while (fd >= 0) {
        const ssize_t n = read(fd, buffer, sizeof(buffer));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        for (ssize_t at = 0; at < n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            if (event->mask & IN_Q_OVERFLOW)
                Deliver(-1, 0, "");
            else
                Deliver(event->wd, event->mask, event->len ? event->name : "");
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
        // A read that left room for another event of any size took all there were when it was
        // made: what came since is no older than the call that drains.
        if (n <= static_cast<ssize_t>(sizeof(buffer)) - kLargestEvent)
            break;
    }
    errno = callerErrno;
    return fd >= 0;
}

} // namespace platform
