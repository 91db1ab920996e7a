// Whose rights a file call of this process uses. The suite runs elevated over a machine folder that
// belongs to a less-privileged user, as a Windows service works on a user's profile: then every
// file call acts with that user's rights, as the service impersonates the user, so that a link the
// user planted leads only where the user could go anyway. The process's own rights are taken back
// for its own places alone (the program folder while it is root's alone, its records in run/), by
// the calling thread and for one call.
#pragma once

#include <string>
#include <sys/types.h>

// The layer's window messages, a library of their own, take their own rights for their records too.
#pragma GCC visibility push(default)

namespace platform {

// Whether this process acts on its machine with the rights of the machine folder's owner: it runs
// as root over a machine folder of another user. Decided once, when the process starts.
bool ActsForMachineUser();

// While it lives, the calling thread's file calls use the process's own rights; nothing where the
// process does not act for the machine's user, or where wanted is false. Threads made inside keep
// those rights for life: nothing inside may make one.
class OwnRights {
public:
    explicit OwnRights(bool wanted = true);
    ~OwnRights();
    OwnRights(const OwnRights&) = delete;
    OwnRights& operator=(const OwnRights&) = delete;

private:
    bool taken_ = false;
};

// Whether every folder from "/" down to the folder (links resolved) belongs to root and no one
// else may change its names (not writable by group or others, or, above the folder, sticky as /tmp
// is): a place only root can write. Looked at with the process's own rights, links not followed.
bool IsRootsAlone(const std::string& folder);

// The same walk, where the folder itself may be sticky too; the folder held (O_PATH), or -1.
int HoldRootsFolder(const std::string& folder);

} // namespace platform

#pragma GCC visibility pop
