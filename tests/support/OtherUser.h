// Another user of the host, with real rights: what a less-privileged user who owns the machine
// folder could do to an elevated process is done by a forked child of the test that drops to an
// unprivileged uid and gid, so that the kernel says who acts.
#pragma once

#include <functional>
#include <string>
#include <sys/types.h>

namespace testing_support {

struct HostUser {
    uid_t uid;
    gid_t gid;
};

// The unprivileged user the tests act as ("nobody").
HostUser OtherUser();

// Why tests with real rights cannot run in this process ("" when they can: it runs as root).
std::string WhyNotAsOtherUser();

// Gives the folder and everything in it (links themselves, never what they lead to) to the other
// user, as a user's own data folder is theirs.
void GiveToOtherUser(const std::string& folder);
// Gives the folder and everything in it back to root, readable by all and writable by root only:
// what another user of the host keeps out of the machine's user's reach.
void GiveToRoot(const std::string& folder);

// Runs the action in a forked child dropped to the other user; whether the child got there and
// the action returned true. The child of a process with threads may only make plain system calls:
// prepare every path before.
bool AsOtherUser(const std::function<bool()>& action);

} // namespace testing_support
