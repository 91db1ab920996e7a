#include "support/OtherUser.h"

#include <filesystem>
#include <grp.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace testing_support {

bool AsOtherUser(const std::function<bool()>& work)
{
    const pid_t child = fork();
    if (child == 0) {
        const bool done = setgroups(0, nullptr) == 0 && setresgid(kOtherGroup, kOtherGroup, kOtherGroup) == 0 &&
                          setresuid(kOtherUser, kOtherUser, kOtherUser) == 0 && work();
        _exit(done ? 0 : 1);
    }
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void GiveToOtherUser(const std::string& folder)
{
    if (lchown(folder.c_str(), kOtherUser, kOtherGroup) != 0)
        throw std::runtime_error("cannot give " + folder + " to the other user");
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder))
        if (lchown(entry.path().c_str(), kOtherUser, kOtherGroup) != 0)
            throw std::runtime_error("cannot give " + entry.path().string() + " to the other user");
}

} // namespace testing_support
