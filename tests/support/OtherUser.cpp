#include "support/OtherUser.h"

#include <cerrno>
#include <filesystem>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace testing_support {

namespace {

void GiveTree(const std::string& hostFolder, uid_t user, gid_t group, bool rootOnly)
{
    const auto give = [&](const fs::path& path) {
        if (lchown(path.c_str(), user, group) != 0)
            throw fs::filesystem_error("cannot change the owner", path, std::error_code(errno, std::generic_category()));
        if (rootOnly && !fs::is_symlink(fs::symlink_status(path)))
            fs::permissions(path, fs::is_directory(path) ? fs::perms(0755) : fs::perms(0644));
    };
    give(hostFolder);
    for (const auto& entry : fs::recursive_directory_iterator(hostFolder))
        give(entry.path());
}

} // namespace

std::string WhyNoOtherUser()
{
    return geteuid() == 0 ? std::string() : "another user's doings are tried only where the tests run as root";
}

void GiveToOtherUser(const std::string& hostFolder) { GiveTree(hostFolder, kOtherUserId, kOtherGroupId, false); }

void GiveToRoot(const std::string& hostFolder) { GiveTree(hostFolder, 0, 0, true); }

bool AsOtherUser(const std::function<bool()>& step)
{
    const pid_t child = fork();
    if (child < 0)
        return false;
    if (child == 0) {
        const bool became = setgroups(0, nullptr) == 0 &&
                            setresgid(kOtherGroupId, kOtherGroupId, kOtherGroupId) == 0 &&
                            setresuid(kOtherUserId, kOtherUserId, kOtherUserId) == 0 && geteuid() == kOtherUserId;
        _exit(became && step() ? 0 : 1);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0)
        if (errno != EINTR)
            return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace testing_support
