// Holds one INI file against the other writers of the machine (threads and processes alike) for
// the span of a read-modify-write. The lock file lives in the machine's run folder, named after
// the INI file's path, so that no stray file appears beside the INI. The machine's user can take
// that lock too, so a writer waits for it a bounded time only.
#pragma once

#include <chrono>
#include <string>

namespace platform {

class CProfileLock {
public:
    explicit CProfileLock(const std::string& iniHostPath);
    ~CProfileLock();
    CProfileLock(const CProfileLock&) = delete;
    CProfileLock& operator=(const CProfileLock&) = delete;

    // Whether the write may go ahead: false when another holder kept the lock past the patience.
    // Without a lock file (a read-only machine root) the write goes ahead unguarded.
    bool Held() const { return held_; }

private:
    int fd_ = -1;
    bool held_ = true;
};

// How long a writer waits for the lock before it gives up; tests shorten it.
void SetProfileLockPatience(std::chrono::milliseconds patience);

} // namespace platform
