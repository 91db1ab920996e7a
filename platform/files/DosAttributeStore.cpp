#include "DosAttributeStore.h"

#include "FolderCache.h"
#include "PathResolver.h"

#include "platform/Machine.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstdint>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace platform::files {

namespace {

const char kAttributeName[] = "user.DOSATTRIB";
std::atomic<bool> g_besideOnly{false};

bool Unsupported(int err) { return err == ENOTSUP || err == EOPNOTSUPP; }

// The kernel's call that reads an attribute of a folder's entry without a walk of a path (Linux
// 6.13 and later); older kernels take the entry's name below /proc.
constexpr long kGetXattrAt = 464;
struct XattrArguments {
    uint64_t value;
    uint32_t size;
    uint32_t flags;
};
std::atomic<bool> g_noGetXattrAt{false};

ssize_t ReadAttribute(int fd, const char* name, char* text, size_t size)
{
    if (!name) {
        const ssize_t n = fgetxattr(fd, kAttributeName, text, size);
        // A descriptor that only names the file is read through its name below /proc.
        return n >= 0 || errno != EBADF ? n : getxattr(PathOf(fd).c_str(), kAttributeName, text, size);
    }
    if (!g_noGetXattrAt.load(std::memory_order_relaxed)) {
        XattrArguments arguments {reinterpret_cast<uintptr_t>(text), static_cast<uint32_t>(size), 0};
        const long n = syscall(kGetXattrAt, fd, name, AT_SYMLINK_NOFOLLOW, kAttributeName, &arguments, sizeof(arguments));
        if (n >= 0 || errno != ENOSYS)
            return n;
        g_noGetXattrAt = true;
    }
    return lgetxattr((PathOf(fd) + "/" + name).c_str(), kAttributeName, text, size);
}

std::string Format(DWORD bits)
{
    char text[16];
    std::snprintf(text, sizeof(text), "0x%x", bits);
    return text;
}

std::optional<DWORD> Parse(const char* text, size_t size)
{
    const std::string value(text, size);
    if (value.size() < 3 || value.size() > 10 || value.compare(0, 2, "0x") != 0)
        return std::nullopt;
    char* end = nullptr;
    const unsigned long bits = std::strtoul(value.c_str() + 2, &end, 16);
    if (end != value.c_str() + value.size())
        return std::nullopt;
    return static_cast<DWORD>(bits);
}

std::string BesideFolder() { return Machine().root + "/dosattrib"; }

std::string BesidePath(DosAttributeStore::FileId id)
{
    return BesideFolder() + "/" + std::to_string(id.device) + "-" + std::to_string(id.inode) + "-" +
           std::to_string(id.born.tv_sec) + "." + std::to_string(id.born.tv_nsec);
}

std::optional<DWORD> ReadBeside(DosAttributeStore::FileId id)
{
    const int fd = open(BesidePath(id).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    char text[16];
    const ssize_t n = read(fd, text, sizeof(text));
    close(fd);
    return n > 0 ? Parse(text, static_cast<size_t>(n)) : std::nullopt;
}

// Written to a temporary name and renamed, so that readers in other processes never see half.
bool WriteBeside(DosAttributeStore::FileId id, DWORD bits)
{
    mkdir(BesideFolder().c_str(), 0755);
    const std::string path = BesidePath(id);
    const std::string temporary = path + ".new" + std::to_string(getpid());
    const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const std::string text = Format(bits);
    const bool written = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    const int writeErrno = errno;
    close(fd);
    if (!written || rename(temporary.c_str(), path.c_str()) != 0) {
        const int err = written ? errno : writeErrno;
        unlink(temporary.c_str());
        errno = err;
        return false;
    }
    return true;
}

} // namespace

std::optional<DWORD> DosAttributeStore::Read(int fd, const char* name, FileId id, int watch, uint32_t links)
{
    if (g_besideOnly)
        return ReadBeside(id);
    const auto read = [&](bool& keep) -> std::optional<DWORD> {
        char text[16];
        const ssize_t n = ReadAttribute(fd, name, text, sizeof(text));
        if (n >= 0)
            return Parse(text, static_cast<size_t>(n));
        // The store beside the files is not watched: what it holds is read every time.
        keep = keep && errno == ENODATA;
        return Unsupported(errno) ? ReadBeside(id) : std::nullopt;
    };
    if (!name || watch < 0 || links != 1) {
        bool keep = false;
        return read(keep);
    }
    return KeptAttributes(watch, name, id.inode, id.born, read);
}

bool DosAttributeStore::Write(const std::string& hostPath, FileId id, DWORD bits)
{
    if (g_besideOnly)
        return WriteBeside(id, bits);
    const std::string text = Format(bits);
    if (setxattr(hostPath.c_str(), kAttributeName, text.data(), text.size(), 0) == 0)
        return true;
    return Unsupported(errno) && WriteBeside(id, bits);
}

void DosAttributeStore::Remove(const std::string& hostPath, FileId id)
{
    if (g_besideOnly || (removexattr(hostPath.c_str(), kAttributeName) != 0 && Unsupported(errno)))
        Forget(id);
}

void DosAttributeStore::Forget(FileId id) { unlink(BesidePath(id).c_str()); }

void DosAttributeStore::ForgetOpened(int fd, FileId id)
{
    // The device last seen keeping attributes itself, so that removing many files of one file
    // system asks it once.
    static std::atomic<dev_t> keepsAttributes{0};
    if (!g_besideOnly && id.device != 0 && keepsAttributes.load(std::memory_order_relaxed) == id.device)
        return;
    if (g_besideOnly || (fgetxattr(fd, kAttributeName, nullptr, 0) < 0 && errno != ENODATA))
        Forget(id);
    else
        keepsAttributes.store(id.device, std::memory_order_relaxed);
}

void DosAttributeStore::UseStoreBesideFiles(bool only) { g_besideOnly = only; }

} // namespace platform::files
