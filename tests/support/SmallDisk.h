// A full disk without filling the host's: a small tmpfs that the test mounts over a folder of its
// machine, and unmounts again. Mounting needs root, as CI runs the tests; elsewhere such tests skip.
#pragma once

#include <cstddef>
#include <string>

namespace testing_support {

class SmallDisk {
public:
    // Makes the folder (and its parents) and mounts a file system of that many bytes on it.
    SmallDisk(const std::string& folder, size_t bytes);
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    // Why no small disk could be mounted ("" when it is).
    const std::string& WhyNot() const { return whyNot_; }

private:
    std::string folder_;
    std::string whyNot_;
};

} // namespace testing_support
