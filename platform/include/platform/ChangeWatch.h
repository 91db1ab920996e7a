// Changes to host files and folders as the kernel reports them to this process (inotify), one
// queue for the whole layer. The kernel queues a change while the call that makes it runs, so a
// change made by any process before Drain() is handed to the listeners by that Drain(): a cache
// kept up to date so is never behind the disk. Machine() drains the queue at the start of every
// call of the layer that reads the machine.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#pragma GCC visibility push(default)

namespace platform {

class ChangeWatch {
public:
    // A listener is handed each change: the watch, the event, and the name of the folder's entry it
    // concerns (empty for the watched file or folder itself); watch -1 when changes may have been
    // missed (the kernel's queue overflowed, or this is a child process that inherited the queue):
    // whatever was kept must then be forgotten, and the watches are gone in a child.
    using Listener = std::function<void(int watch, uint32_t event, const char* name)>;

    static ChangeWatch& Shared();

    void Listen(Listener listener);
    // Watches the path (a link is followed) for the events; the watch's number, or -1 when the
    // path cannot be watched (missing, no queue, or the host's limit of watches reached). A path
    // already watched keeps its number and gains the new events; a watch ended by anyone is
    // reported with IN_IGNORED. Safe from any thread, and from a listener.
    int Watch(const std::string& path, uint32_t events);
    void Unwatch(int watch);
    // Hands every change queued so far to the listeners; false when there is no queue.
    bool Drain();

private:
    ChangeWatch() = default;
    int Queue();
    void Deliver(int watch, uint32_t event, const char* name);

    std::mutex drainMutex_;
    std::vector<Listener> listeners_;
    int fd_ = -1;
    unsigned long forks_ = 0;  // the process's forks when fd_ was opened
};

} // namespace platform

#pragma GCC visibility pop
