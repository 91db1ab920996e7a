// Another user of the test's machine as the kernel knows them: a forked child dropped to nobody's
// unprivileged uid and gid. Only a test run as root can become them.
#pragma once

#include <functional>
#include <string>
#include <sys/types.h>

namespace testing_support {

constexpr uid_t kOtherUser = 65534;
constexpr gid_t kOtherGroup = 65534;

// Runs work in a child dropped to the other user; true when the child dropped and work said true.
bool AsOtherUser(const std::function<bool()>& work);
// Gives the folder and everything below it to the other user, each link itself.
void GiveToOtherUser(const std::string& folder);

} // namespace testing_support
