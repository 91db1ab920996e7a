// Changes to host files and folders as the kernel reports them to this process (inotify). The
// kernel queues a change while the call that makes it runs, so a change made by any process before
// Drain() is reported by that Drain(): a cache checked so is never behind the disk.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace platform {

class ChangeWatch {
public:
    ChangeWatch();
    ~ChangeWatch();
    ChangeWatch(const ChangeWatch&) = delete;
    ChangeWatch& operator=(const ChangeWatch&) = delete;

    // Watches the path (a link is followed) for the events; the watch's number, or -1 when the
    // path cannot be watched (missing, or the host's limit of watches reached). A path already
    // watched keeps its number and takes the new events.
    int Watch(const std::string& path, uint32_t events);
    void Unwatch(int watch);

    // Hands over every change reported since the last call: the watch, the event, and the name of
    // the folder's entry it concerns (empty for the watched file or folder itself). False when
    // changes may have been missed (the kernel's queue overflowed, no watch can be kept, or this
    // is a child process that inherited the watch): every watch is then gone, and whatever was
    // cached must be forgotten. errno is kept.
    bool Drain(const std::function<void(int watch, uint32_t event, const char* name)>& seen);

private:
    bool Open();
    bool Read(const std::function<void(int watch, uint32_t event, const char* name)>& seen);

    int fd_ = -1;
    unsigned long forks_ = 0;  // the process's forks when fd_ was opened
};

} // namespace platform
