#include "support/SmallDisk.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testing_support {

namespace {

constexpr int kCannotMount = 77;

bool WriteText(const std::string& path, const std::string& text)
{
    std::ofstream out(path);
    out << text;
    return static_cast<bool>(out.flush());
}

// Gives this (single-threaded, forked) process mounts of its own, nothing of which reaches the host.
bool EnterOwnMounts()
{
    const uid_t uid = geteuid();
    const gid_t gid = getegid();
    if (uid != 0) {
        if (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0 || !WriteText("/proc/self/setgroups", "deny") ||
            !WriteText("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1") ||
            !WriteText("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1"))
            return false;
    } else if (unshare(CLONE_NEWNS) != 0) {
        return false;
    }
    return mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}

} // namespace

void OnSmallDisk(const std::string& folder, const std::function<void(const DiskCheck& check)>& body, size_t bytes)
{
    const std::string size = "size=" + std::to_string(bytes);
    int report[2];
    ASSERT_EQ(0, pipe(report));
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(report[0]);
        if (!EnterOwnMounts() || mount("tmpfs", folder.c_str(), "tmpfs", 0, size.c_str()) != 0)
            _exit(kCannotMount);
        const DiskCheck check = [&](bool ok, const char* what) {
            if (!ok)
                (void)!write(report[1], (std::string(what) + "\n").c_str(), std::strlen(what) + 1);
        };
        try {
            body(check);
        } catch (const std::exception& error) {
            check(false, error.what());
        }
        _exit(0);
    }
    close(report[1]);
    std::string failures;
    char buffer[256];
    for (ssize_t n; (n = read(report[0], buffer, sizeof(buffer))) > 0;)
        failures.append(buffer, static_cast<size_t>(n));
    close(report[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == kCannotMount)
        GTEST_SKIP() << "no small file system can be mounted here (needs mount and user namespaces), so a full "
                        "disk cannot be made";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the child ended abnormally";
    EXPECT_EQ("", failures);
}

void FillDisk(const std::string& folder)
{
    const int fd = open((folder + "/filler").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    static const char block[4096] = {};
    while (write(fd, block, sizeof(block)) > 0) {
    }
    while (write(fd, block, 1) > 0) {
    }
    close(fd);
}

} // namespace testing_support
