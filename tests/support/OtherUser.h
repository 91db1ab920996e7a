// Another user of the host, as the kernel knows users: a forked child that drops to an
// unprivileged uid and gid before it acts, so that what it may do is what the kernel lets such a
// user do. The machine folder is given to that user, as a user's data folder is theirs.
#pragma once

#include <functional>
#include <string>
#include <sys/types.h>

namespace testing_support {

constexpr uid_t kOtherUserId = 47011;
constexpr gid_t kOtherGroupId = 47011;

// Why another user cannot act here (the tests do not run as root); empty when one can.
std::string WhyNoOtherUser();

// Gives the host folder and everything in it to the other user.
void GiveToOtherUser(const std::string& hostFolder);
// Gives the host folder and everything in it back to root, readable by all and writable by root only.
void GiveToRoot(const std::string& hostFolder);

// Runs the step in a forked child once it has become the other user (no supplementary groups,
// setresgid, then setresuid); true when it became that user and the step answered true. The step
// runs in a child of a process with threads: it makes plain host calls only.
bool AsOtherUser(const std::function<bool()>& step);

} // namespace testing_support
