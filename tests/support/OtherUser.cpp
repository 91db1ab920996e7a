#include "support/OtherUser.h"

#include <cerrno>
#include <filesystem>
#include <grp.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace testing_support {

HostUser OtherUser()
{
    const passwd* nobody = getpwnam("nobody");
    return nobody ? HostUser {nobody->pw_uid, nobody->pw_gid} : HostUser {65534, 65534};
}

std::string WhyNotAsOtherUser()
{
    return geteuid() == 0 ? std::string() : "acting as another user with real rights needs root, as CI runs the tests";
}

namespace {

// Links themselves change owner, never what they lead to.
void GiveTree(const std::string& folder, uid_t uid, gid_t gid, bool rootOnly)
{
    const auto give = [&](const fs::path& path) {
        if (lchown(path.c_str(), uid, gid) != 0)
            throw fs::filesystem_error("cannot change the owner", path, std::error_code(errno, std::generic_category()));
        if (rootOnly && !fs::is_symlink(fs::symlink_status(path)))
            fs::permissions(path, fs::is_directory(path) ? fs::perms(0755) : fs::perms(0644));
    };
    give(folder);
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        give(entry.path());
}

} // namespace

void GiveToOtherUser(const std::string& folder)
{
    const HostUser user = OtherUser();
    GiveTree(folder, user.uid, user.gid, false);
}

void GiveToRoot(const std::string& folder) { GiveTree(folder, 0, 0, true); }

bool AsOtherUser(const std::function<bool()>& action)
{
    const HostUser user = OtherUser();
    const pid_t child = fork();
    if (child < 0)
        return false;
    if (child == 0) {
        const bool dropped = setgroups(0, nullptr) == 0 && setresgid(user.gid, user.gid, user.gid) == 0 &&
                             setresuid(user.uid, user.uid, user.uid) == 0;
        _exit(dropped && action() ? 0 : 1);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace testing_support
