// Holds one INI file against the other writers of the machine (threads and processes alike) for
// the span of a read-modify-write. The lock file lives in the machine's run folder, named after
// the INI file's path, so that no stray file appears beside the INI.
#pragma once

#include <string>

namespace platform {

class CProfileLock {
public:
    explicit CProfileLock(const std::string& iniHostPath);
    ~CProfileLock();
    CProfileLock(const CProfileLock&) = delete;
    CProfileLock& operator=(const CProfileLock&) = delete;

private:
    int fd_ = -1;
};

} // namespace platform
