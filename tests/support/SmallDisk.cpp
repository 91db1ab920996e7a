#include "support/SmallDisk.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sys/mount.h>
#include <unistd.h>

namespace testing_support {

SmallDisk::SmallDisk(const std::string& folder, size_t bytes) : folder_(folder)
{
    std::filesystem::create_directories(folder_);
    if (geteuid() != 0) {
        whyNot_ = "mounting a small disk needs root, as CI runs the tests";
        return;
    }
    const std::string options = "size=" + std::to_string(bytes) + ",mode=0755";
    if (mount("tmpfs", folder_.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) != 0)
        whyNot_ = std::string("no small disk can be mounted here: ") + std::strerror(errno);
}

SmallDisk::~SmallDisk()
{
    if (whyNot_.empty())
        umount2(folder_.c_str(), MNT_DETACH);
}

} // namespace testing_support
