#include "DraftFile.h"

#include "UnguessableName.h"

#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace platform {

namespace {

constexpr const char* kDraftPrefix = ".quarnel-draft-";
constexpr int kNamingTries = 8;
constexpr size_t kFoldersRemembered = 256;

std::atomic<bool> g_unnamedAllowed {true};
std::atomic<long long> g_leftBehindSeconds {60};
std::atomic<void (*)()> g_beforePlacing {nullptr};

bool IsHex(const char* text, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        if (!std::strchr("0123456789abcdef", text[i]) || !text[i])
            return false;
    return true;
}

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

// The names drafts of this program have had: its own, and those that earlier versions of its
// writers left behind when killed (a shortcut's, a copy's and an INI file's). An INI file's draft
// was named after the file and counts only beside it (beside: that name, else "").
bool IsDraftName(const std::string& name, std::string& beside)
{
    beside.clear();
    const size_t prefix = std::strlen(kDraftPrefix);
    if (StartsWith(name, kDraftPrefix))
        return name.size() == prefix + 32 && IsHex(name.c_str() + prefix, 32);
    if (StartsWith(name, ".lnk-"))
        return name.size() == 5 + 32 + 7 && IsHex(name.c_str() + 5, 32) && name.compare(37, 7, ".saving") == 0;
    if (StartsWith(name, ".quarnel-copy-")) {
        const std::string rest = name.substr(14);
        return rest.size() == 6 && rest.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789") ==
                                       std::string::npos;
    }
    const size_t at = name.rfind(".new");
    if (at == std::string::npos || at < 5 || at + 4 == name.size() ||
        name.find_first_not_of("0123456789", at + 4) != std::string::npos)
        return false;
    std::string extension = name.substr(at - 4, 4);
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    beside = name.substr(0, at);
    return extension == ".ini";
}

long long Nanoseconds(const timespec& time) { return time.tv_sec * 1'000'000'000LL + time.tv_nsec; }

// Whether the folder's drafts are to be looked at now: a draft counts as left behind only once it
// is that old, so looking more often than that finds nothing new.
bool DueForLook(const struct stat& folder, long long now)
{
    static std::mutex mutex;
    static std::map<std::pair<dev_t, ino_t>, long long> looked;
    const long long interval = g_leftBehindSeconds.load() * 1'000'000'000LL;
    const std::lock_guard<std::mutex> lock(mutex);
    if (looked.size() >= kFoldersRemembered)
        looked.clear();
    auto [entry, fresh] = looked.try_emplace({folder.st_dev, folder.st_ino}, now);
    if (!fresh && now - entry->second < interval)
        return false;
    entry->second = now;
    return true;
}

// Removes the drafts that killed saves left in the folder: plain files under a draft's name, of
// this process's user or of the folder's owner, unchanged for longer than a save takes. The name
// is removed, never what a link leads to.
void RemoveLeftBehind(int folderFd)
{
    struct stat folder {};
    timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    if (fstat(folderFd, &folder) != 0 || !DueForLook(folder, Nanoseconds(now)))
        return;
    const int listing = openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* dir = listing < 0 ? nullptr : fdopendir(listing);
    if (!dir) {
        if (listing >= 0)
            close(listing);
        return;
    }
    const long long oldest = Nanoseconds(now) - g_leftBehindSeconds.load() * 1'000'000'000LL;
    std::string beside;
    while (const dirent* entry = readdir(dir)) {
        if (!IsDraftName(entry->d_name, beside))
            continue;
        struct stat st {}, file {};
        if (fstatat(folderFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) &&
            (beside.empty() || fstatat(folderFd, beside.c_str(), &file, AT_SYMLINK_NOFOLLOW) == 0) &&
            st.st_nlink == 1 && (st.st_uid == geteuid() || st.st_uid == folder.st_uid) &&
            Nanoseconds(st.st_ctim) <= oldest)
            unlinkat(folderFd, entry->d_name, 0);
    }
    closedir(dir);
}

// A new file of a name nobody can guess in the folder, made create-new; -1 with errno set.
int CreateNamed(int folderFd, std::string& name)
{
    for (int tries = 0; tries < kNamingTries; ++tries) {
        if (!UnguessableName(kDraftPrefix, "", name))
            return -1;
        const int fd = openat(folderFd, name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

std::string ProcName(int fd) { return "/proc/self/fd/" + std::to_string(fd); }

} // namespace

CDraftFile::CDraftFile(int folderFd) : folder_(folderFd)
{
    RemoveLeftBehind(folderFd);
    if (g_unnamedAllowed.load()) {
        fd_ = openat(folderFd, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
        // a file system without unnamed files says so in one of several ways; a refusal that a
        // named draft would meet as well (rights, space, a read-only file system) is final
        if (fd_ >= 0 || errno == EACCES || errno == EPERM || errno == EROFS || errno == ENOSPC || errno == EDQUOT)
            return;
    }
    fd_ = CreateNamed(folderFd, name_);
    if (fd_ < 0)
        name_.clear();
}

CDraftFile::~CDraftFile()
{
    if (fd_ < 0)
        return;
    const int err = errno;
    if (!placed_ && !name_.empty())
        unlinkat(folder_, name_.c_str(), 0);
    close(fd_);
    errno = err;
}

bool CDraftFile::GiveDraftName()
{
    const std::string self = ProcName(fd_);
    for (int tries = 0; tries < kNamingTries; ++tries) {
        if (!UnguessableName(kDraftPrefix, "", name_))
            break;
        if (linkat(AT_FDCWD, self.c_str(), folder_, name_.c_str(), AT_SYMLINK_FOLLOW) == 0)
            return true;
        if (errno != EEXIST)
            break;
    }
    name_.clear();
    return false;
}

bool CDraftFile::PutInPlace(const std::string& name, bool replace)
{
    if (fd_ < 0 || placed_) {
        errno = EBADF;
        return false;
    }
    if (void (*before)() = g_beforePlacing.load())
        before();
    if (name_.empty()) {
        // a new link can only take a free name: a replacement takes a name first, then the place
        if (!replace) {
            placed_ = linkat(AT_FDCWD, ProcName(fd_).c_str(), folder_, name.c_str(), AT_SYMLINK_FOLLOW) == 0;
            return placed_;
        }
        if (!GiveDraftName())
            return false;
    }
    if (replace) {
        placed_ = renameat(folder_, name_.c_str(), folder_, name.c_str()) == 0;
    } else if (renameat2(folder_, name_.c_str(), folder_, name.c_str(), RENAME_NOREPLACE) == 0) {
        placed_ = true;
    } else if (errno == EINVAL || errno == ENOSYS) {
        // without an exchange-free rename, a second link takes only a free name, then the draft's goes
        placed_ = linkat(folder_, name_.c_str(), folder_, name.c_str(), 0) == 0;
        if (placed_)
            unlinkat(folder_, name_.c_str(), 0);
    }
    return placed_;
}

bool WriteWhole(int fd, const char* data, size_t size)
{
    while (size > 0) {
        const ssize_t n = write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC;
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

void SetDraftTestSettings(const DraftTestSettings& settings)
{
    g_unnamedAllowed = settings.unnamedAllowed;
    g_leftBehindSeconds = settings.leftBehindAfter.count();
    g_beforePlacing = settings.beforePlacing;
}

} // namespace platform
