#include "FileIdentity.h"

#include "MachineRoot.h"

#include "platform/Machine.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <grp.h>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform {

namespace {

// Written once before main and before any thread, read only afterwards.
bool g_actsForUser = false;
uid_t g_userUid = 0;
gid_t g_userGid = 0;

thread_local int t_ownDepth = 0;

// The owner of the machine root, or, while the root is not made yet, of the nearest folder above
// it: whoever can write there decides what the root will be.
bool OwnerOfMachine(uid_t& uid, gid_t& gid)
{
    std::string path = ConfiguredMachineRoot();
    for (;;) {
        struct stat st {};
        if (stat(path.c_str(), &st) == 0) {
            uid = st.st_uid;
            gid = st.st_gid;
            return true;
        }
        if (errno != ENOENT || path == "/")
            return false;
        const size_t slash = path.rfind('/');
        path = slash == 0 ? "/" : path.substr(0, slash);
    }
}

void TakeMachineUsersRights()
{
    uid_t uid = 0;
    gid_t gid = 0;
    if (geteuid() != 0 || !OwnerOfMachine(uid, gid) || uid == 0)
        return;
    // The supplementary groups are root's; a file of root's group would stay open to the process.
    // Dropping them is for the whole process and lasts: the own rights need none of them, as root
    // passes every check of a file's rights anyway.
    const bool dropped = setgroups(1, &gid) == 0;
    setfsgid(gid);
    setfsuid(uid);
    // setfsuid answers the identity before the call: asking again tells whether it took. A process
    // that cannot take the user's rights must not go on with root's over the user's files.
    if (!dropped || static_cast<uid_t>(setfsuid(static_cast<uid_t>(-1))) != uid ||
        static_cast<gid_t>(setfsgid(static_cast<gid_t>(-1))) != gid) {
        std::fputs("cannot take the rights of the machine folder's owner\n", stderr);
        std::abort();
    }
    g_actsForUser = true;
    g_userUid = uid;
    g_userGid = gid;
}

// Before main, so before any thread: the file-system identity is each thread's own, and every
// thread made later inherits the one of the thread that made it.
__attribute__((constructor)) void TakeRightsAtStart() { TakeMachineUsersRights(); }

// Whether no one but root can change the names a folder holds: root's, and not writable by group
// or others unless sticky (there the others cannot take or rename root's names), where sticky
// counts.
bool OnlyRootChangesNames(const struct stat& st, bool stickyCounts)
{
    if (st.st_uid != 0 || !S_ISDIR(st.st_mode))
        return false;
    return !(st.st_mode & (S_IWGRP | S_IWOTH)) || (stickyCounts && (st.st_mode & S_ISVTX));
}

} // namespace

bool ActsForMachineUser() { return g_actsForUser; }

OwnRights::OwnRights(bool wanted)
{
    if (!wanted || !g_actsForUser)
        return;
    taken_ = true;
    if (t_ownDepth++ > 0)
        return;
    const int err = errno;
    setfsuid(geteuid());
    setfsgid(getegid());
    errno = err;
}

OwnRights::~OwnRights()
{
    if (!taken_ || --t_ownDepth > 0)
        return;
    const int err = errno;
    setfsgid(g_userGid);
    setfsuid(g_userUid);
    errno = err;
}

namespace {

// Walks the real path of a folder from "/", each folder opened relative to the one above without
// following a link and checked; the folder held, or -1.
int WalkRootsFolder(const std::string& folder, bool stickyCountsForFolder)
{
    const OwnRights rights;
    char real[PATH_MAX];
    if (!realpath(folder.c_str(), real))
        return -1;
    const std::vector<std::string> names = HostPathNames(real);
    int current = open("/", O_PATH | O_DIRECTORY | O_CLOEXEC);
    for (size_t i = 0; current >= 0; ++i) {
        const bool last = i == names.size();
        struct stat st {};
        if (fstat(current, &st) != 0 || !OnlyRootChangesNames(st, !last || stickyCountsForFolder)) {
            close(current);
            return -1;
        }
        if (last)
            return current;
        const int next = openat(current, names[i].c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        close(current);
        current = next;
    }
    return -1;
}

} // namespace

bool IsRootsAlone(const std::string& folder)
{
    const int held = WalkRootsFolder(folder, false);
    if (held < 0)
        return false;
    close(held);
    return true;
}

int HoldRootsFolder(const std::string& folder) { return WalkRootsFolder(folder, true); }

} // namespace platform
