#include "platform/ChangeWatch.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <mutex>
#include <pthread.h>
#include <sys/inotify.h>
#include <unistd.h>

namespace platform {

namespace {

// A forked child shares its parent's inotify queue: reading it would take the parent's events.
// The child counts the fork and opens a queue of its own.
std::atomic<unsigned long> g_forks{0};
std::once_flag g_forkHandler;

void CountFork() { g_forks.fetch_add(1, std::memory_order_relaxed); }

} // namespace

ChangeWatch::ChangeWatch() { std::call_once(g_forkHandler, [] { pthread_atfork(nullptr, nullptr, CountFork); }); }

ChangeWatch::~ChangeWatch()
{
    if (fd_ >= 0)
        close(fd_);
}

bool ChangeWatch::Open()
{
    if (fd_ >= 0 && forks_ == g_forks.load(std::memory_order_relaxed))
        return true;
    if (fd_ >= 0)
        close(fd_);
    forks_ = g_forks.load(std::memory_order_relaxed);
    fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    return fd_ >= 0;
}

int ChangeWatch::Watch(const std::string& path, uint32_t events)
{
    if (fd_ < 0 && !Open())
        return -1;
    return inotify_add_watch(fd_, path.c_str(), events);
}

void ChangeWatch::Unwatch(int watch)
{
    if (fd_ >= 0 && watch >= 0)
        inotify_rm_watch(fd_, watch);
}

bool ChangeWatch::Drain(const std::function<void(int watch, uint32_t event, const char* name)>& seen)
{
    // Callers look at errno of their own calls around this one.
    const int callerErrno = errno;
    const bool complete = Read(seen);
    errno = callerErrno;
    return complete;
}

bool ChangeWatch::Read(const std::function<void(int watch, uint32_t event, const char* name)>& seen)
{
    if (fd_ < 0 || forks_ != g_forks.load(std::memory_order_relaxed)) {
        if (fd_ >= 0)
            close(fd_);
        fd_ = -1;
        return false;
    }
    bool complete = true;
    alignas(inotify_event) char buffer[16 * (sizeof(inotify_event) + NAME_MAX + 1)];
    for (;;) {
        const ssize_t n = read(fd_, buffer, sizeof(buffer));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (complete && (n == 0 || errno == EAGAIN))
                return true;
            close(fd_);
            fd_ = -1;
            return false;
        }
        for (ssize_t at = 0; at < n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            if (event->mask & IN_Q_OVERFLOW)
                complete = false;
            else
                seen(event->wd, event->mask, event->len ? event->name : "");
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
}

} // namespace platform
