#include "ProfileLock.h"

#include "kernel/RunFolder.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

namespace platform {

namespace {

using std::chrono::milliseconds;

// Far longer than any writer of the machine holds the lock; only a holder that keeps it is waited
// for that long.
std::atomic<milliseconds::rep> g_patience {10'000};
constexpr milliseconds kLongestPause {20};

// The INI file's absolute path, its folder resolved so that two spellings of one file share a lock.
std::string CanonicalPath(const std::string& path)
{
    const auto slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    char resolved[PATH_MAX];
    if (!realpath(folder.c_str(), resolved))
        return path;
    return std::string(resolved) + "/" + name;
}

// FNV-1a: stable across processes and builds, unlike std::hash.
uint64_t Fingerprint(const std::string& text)
{
    uint64_t hash = 0xcbf29ce484222325ull;
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 0x100000001b3ull;
    }
    return hash;
}

} // namespace

CProfileLock::CProfileLock(const std::string& iniHostPath)
{
    char name[32];
    std::snprintf(name, sizeof(name), "%016llx.lock",
                  static_cast<unsigned long long>(Fingerprint(CanonicalPath(iniHostPath))));
    // shared, as every process of the machine that writes the file takes the lock
    bool created = false;
    fd_ = OpenRunSubfolder("profile").OpenSharedFile(name, created);
    // Without a lock file (a read-only machine root) the write goes ahead unguarded.
    if (fd_ < 0)
        return;
    // No wait without an end: another user of the machine can hold the lock as long as they like.
    const auto deadline = std::chrono::steady_clock::now() + milliseconds(g_patience.load());
    milliseconds pause {1};
    while (flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR)
            continue;
        const auto now = std::chrono::steady_clock::now();
        // a file system without locks leaves the write unguarded, as a missing lock file does
        if (errno != EWOULDBLOCK || now >= deadline) {
            held_ = errno != EWOULDBLOCK;
            close(fd_);
            fd_ = -1;
            return;
        }
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(pause, deadline - now));
        pause = std::min(pause * 2, kLongestPause);
    }
}

CProfileLock::~CProfileLock()
{
    if (fd_ >= 0)
        close(fd_); // releases the lock
}

void SetProfileLockPatience(milliseconds patience) { g_patience = patience.count(); }

} // namespace platform
