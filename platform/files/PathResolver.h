// The one converter from Windows paths to places on the host. Every path a Windows call takes is a
// path of the machine: it is mapped onto the folder of its drive (or onto the program folder, for
// the program folder's Windows path), and the kernel walks it beneath the machine's folders
// (openat2 with RESOLVE_BENEATH), so that no name, ".." or link on it leads out of the machine.
#pragma once

#include "core/FileIdentity.h"

#include <memory>
#include <string>
#include <sys/stat.h>

namespace platform::files {

using platform::OwnRights;

// An open descriptor, closed when the last holder lets go.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor();
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Fd() const { return fd_; }

private:
    int fd_;
};

// Where a Windows path leads on the host.
struct Place {
    std::string host;                    // the host path the drive map gives (for drives, messages, the store)
    std::shared_ptr<Descriptor> parent;  // the folder holding the name, walked beneath the machine; null when missing
    std::string name;                    // the last host name in that folder ("." for a mapped folder itself)
    bool exists = false;                 // whether the folder holds the name (a link counts, whatever it leads to)
    unsigned mode = 0;                   // the name's type and mode as the folder holds it (a link is a link)
    bool leavesMachine = false;          // whether a link on the way to the folder leads out of the machine
    // The name's status as the folder held it when the path was resolved (links not followed), so
    // that the call that resolved the path need not read it again; unread for a mapped folder.
    bool statusRead = false;
    struct statx status {};
    int watch = -1;                      // the folder's watch (platform/files/FolderCache.h); -1 for none
    bool writeProtected = false;         // whether the drive holding it, or the drive's disk, is read-only
    // Whether it is a place of the process's own: in the program folder while that folder is root's
    // alone and the process acts for the machine's user, reached without a link. The layer acts
    // there with the process's own rights and follows no link.
    bool own = false;

    // The name as the kernel reaches it through the folder held open ("/proc/self/fd/N/name"): a
    // host call given this string acts inside the machine whatever a link on the way does, and
    // follows a link that the name itself is only when it is given to such a call.
    std::string At() const;
    // Opens the name, following it where it is a link only while the link stays inside the machine
    // (never in a place of the process's own); -1 with errno set (EXDEV: a link leads out of the
    // machine).
    int Open(int flags, unsigned mode = 0) const;
};

// Opens a name of an open folder, following it where it is a link only while the link stays inside
// the machine; -1 with errno set (EXDEV: the link leads out of the machine).
int OpenInFolder(int folderFd, const std::string& name, int flags, unsigned mode = 0);

// Resolves a full Windows path ("X:\..." without "." or ".."), after the system folder's
// redirection. False with the Windows error in error when it names nothing of the machine.
bool Resolve(const std::wstring& fullPath, Place& place, unsigned& error);

// "/proc/self/fd/N" of a descriptor, for host calls that take a path.
std::string PathOf(int fd);

} // namespace platform::files
