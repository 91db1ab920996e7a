#include "RunFolder.h"

#include "../core/FileIdentity.h"
#include "../core/UnguessableName.h"

#include "platform/Machine.h"
#include "platform/win/Errors.h"

#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr const char* kRunName = "run";
// A file that is removed while it is opened, again and again, makes an open give up after this
// many tries rather than spin.
constexpr int kOpenTries = 64;

bool OwnedByEither(const struct stat& st, uid_t first, uid_t second) { return st.st_uid == first || st.st_uid == second; }

bool MayHaveWritten(const struct stat& st, RunWriters writers, uid_t folderOwner)
{
    return OwnedByEither(st, geteuid(), writers == RunWriters::Shared ? folderOwner : 0);
}

// Whether the folder holds nothing.
bool IsEmptyFolder(int fd)
{
    const int listing = openat(fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* dir = listing < 0 ? nullptr : fdopendir(listing);
    if (!dir) {
        if (listing >= 0)
            close(listing);
        return false;
    }
    bool empty = true;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") {
            empty = false;
            break;
        }
    }
    closedir(dir);
    return empty;
}

// Opens the file that a descriptor only names again, with the access asked.
int Reopen(int pathFd, int flags)
{
    char proc[64];
    std::snprintf(proc, sizeof(proc), "/proc/self/fd/%d", pathFd);
    return open(proc, flags | O_CLOEXEC | O_NOCTTY);
}

} // namespace

std::string RunFolder()
{
    static std::mutex mutex;
    static std::string root, folder;
    const std::string& current = Machine().root;
    std::lock_guard<std::mutex> lock(mutex);
    if (current != root) {
        folder = current + "/" + kRunName;
        root = current;
    }
    return folder;
}

CRunFolder::~CRunFolder()
{
    if (fd_ >= 0)
        close(fd_);
}

CRunFolder::CRunFolder(CRunFolder&& other) noexcept
    : fd_(other.fd_), path_(std::move(other.path_)), ownerUid_(other.ownerUid_), ownerGid_(other.ownerGid_)
{
    other.fd_ = -1;
}

CRunFolder& CRunFolder::operator=(CRunFolder&& other) noexcept
{
    if (this != &other) {
        if (fd_ >= 0)
            close(fd_);
        fd_ = other.fd_;
        path_ = std::move(other.path_);
        ownerUid_ = other.ownerUid_;
        ownerGid_ = other.ownerGid_;
        other.fd_ = -1;
    }
    return *this;
}

void CRunFolder::GiveToOwner(int fd) const
{
    if (geteuid() == 0 && ownerUid_ != 0)
        (void)!fchown(fd, ownerUid_, ownerGid_);
}

CRunFolder CRunFolder::Held(int parent, const std::string& parentPath, const std::string& name, uid_t owner, gid_t group)
{
    const OwnRights rights;
    const bool made = mkdirat(parent, name.c_str(), 0755) == 0;
    if (!made && errno != EEXIST) {
        SetLastErrorFromErrno();
        return {};
    }
    CRunFolder held(openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC), parentPath + "/" + name,
                    owner, group);
    struct stat st {};
    if (!held.IsOpen() || fstat(held.fd_, &st) != 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return {};
    }
    // What the name leads to now may have been put there since the mkdirat: only a folder of
    // this process's user that holds nothing can be the one just made.
    if (made && st.st_uid == geteuid() && IsEmptyFolder(held.fd_)) {
        held.GiveToOwner(held.fd_);
    } else if (!OwnedByEither(st, geteuid(), owner)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return {};
    }
    return held;
}

CRunFolder CRunFolder::Subfolder(const std::string& name) const
{
    if (!IsOpen() || name.empty() || name.find('/') != std::string::npos || name == "." || name == "..") {
        SetLastError(ERROR_INVALID_PARAMETER);
        return {};
    }
    return Held(fd_, path_, name, ownerUid_, ownerGid_);
}

int CRunFolder::Create(const std::string& name, bool shared) const
{
    const OwnRights rights;
    const int fd = openat(fd_, name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, shared ? 0600 : 0644);
    if (fd >= 0 && shared)
        GiveToOwner(fd);
    return fd;
}

int CRunFolder::CreateFile(const std::string& name, bool shared) const
{
    const int fd = Create(name, shared);
    if (fd < 0)
        SetLastErrorFromErrno();
    return fd;
}

int CRunFolder::CreateDraft(const std::string& prefix, std::string& name) const
{
    for (int tries = 0; tries < kOpenTries; ++tries) {
        if (!UnguessableName(prefix, "", name)) {
            SetLastErrorFromErrno();
            return -1;
        }
        const int fd = Create(name, false);
        if (fd >= 0)
            return fd;
        if (errno != EEXIST) {
            SetLastErrorFromErrno();
            return -1;
        }
    }
    SetLastError(ERROR_ALREADY_EXISTS);
    return -1;
}

int CRunFolder::OpenFile(const std::string& name, bool write, RunWriters writers) const
{
    const OwnRights rights;
    // Only named first, so that nothing but a file is ever opened: a FIFO would block the open,
    // a device node would act on it.
    const int named = openat(fd_, name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
    if (named < 0) {
        SetLastErrorFromErrno();
        return -1;
    }
    struct stat st {};
    int fd = -1;
    if (fstat(named, &st) == 0 && S_ISREG(st.st_mode) && st.st_nlink == 1 && MayHaveWritten(st, writers, ownerUid_))
        fd = Reopen(named, write ? O_RDWR : O_RDONLY);
    if (fd < 0)
        SetLastError(ERROR_ACCESS_DENIED);
    close(named);
    return fd;
}

int CRunFolder::OpenSharedFile(const std::string& name, bool& created) const
{
    for (int tries = 0; tries < kOpenTries; ++tries) {
        int fd = Create(name, true);
        created = fd >= 0;
        if (created)
            return fd;
        if (errno != EEXIST) {
            SetLastErrorFromErrno();
            return -1;
        }
        fd = OpenFile(name, true, RunWriters::Shared);
        if (fd >= 0 || GetLastError() != ERROR_FILE_NOT_FOUND)
            return fd;
        // removed by its last user in between: made afresh
    }
    SetLastError(ERROR_SHARING_VIOLATION);
    return -1;
}

bool CRunFolder::IsFileAt(int fd, const std::string& name) const
{
    const OwnRights rights;
    struct stat opened {}, named {};
    return fstat(fd, &opened) == 0 && fstatat(fd_, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
           opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

bool CRunFolder::Remove(const std::string& name) const
{
    const OwnRights rights;
    return unlinkat(fd_, name.c_str(), 0) == 0;
}

void CRunFolder::RemoveIfFileAt(int fd, const std::string& name) const
{
    if (IsFileAt(fd, name))
        Remove(name);
}

bool CRunFolder::Replace(const std::string& from, const std::string& to) const
{
    const OwnRights rights;
    return renameat(fd_, from.c_str(), fd_, to.c_str()) == 0;
}

std::vector<std::string> CRunFolder::Names() const
{
    const OwnRights rights;
    std::vector<std::string> names;
    const int listing = IsOpen() ? openat(fd_, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC) : -1;
    std::unique_ptr<DIR, int (*)(DIR*)> dir(listing < 0 ? nullptr : fdopendir(listing), closedir);
    if (!dir) {
        if (listing >= 0)
            close(listing);
        return names;
    }
    while (const dirent* entry = readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    return names;
}

CRunFolder OpenRunFolder() { return OpenRunFolder(Machine().root); }

CRunFolder OpenRunFolder(const std::string& machineRoot)
{
    const OwnRights rights;
    // The machine root is where this process was told its machine is; below it nothing is
    // taken through a link.
    const int root = open(machineRoot.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    struct stat st {};
    if (root < 0 || fstat(root, &st) != 0) {
        SetLastErrorFromErrno();
        if (root >= 0)
            close(root);
        return {};
    }
    CRunFolder run = CRunFolder::Held(root, machineRoot, kRunName, st.st_uid, st.st_gid);
    close(root);
    if (run.IsOpen() && fstat(run.fd_, &st) == 0) {
        // what an elevated process makes in run/ for all goes to whoever owns run/
        run.ownerUid_ = st.st_uid;
        run.ownerGid_ = st.st_gid;
    }
    return run;
}

CRunFolder OpenRunSubfolder(const std::string& name) { return OpenRunFolder().Subfolder(name); }

CRunFolder OpenRunFolderOf(const std::string& filePath, std::string& name)
{
    const std::string suffix = std::string("/") + kRunName;
    const auto endsWithRun = [&](const std::string& path) {
        return path.size() > suffix.size() && path.compare(path.size() - suffix.size(), suffix.size(), suffix) == 0;
    };
    const size_t slash = filePath.rfind('/');
    if (slash == std::string::npos || slash + 1 == filePath.size()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return {};
    }
    name = filePath.substr(slash + 1);
    const std::string folder = filePath.substr(0, slash);
    // run/ has no folder called run: a folder path ending so is run/ itself
    if (endsWithRun(folder))
        return OpenRunFolder(folder.substr(0, folder.size() - suffix.size()));
    const size_t above = folder.rfind('/');
    if (above == std::string::npos || !endsWithRun(folder.substr(0, above))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return {};
    }
    return OpenRunFolder(folder.substr(0, above - suffix.size())).Subfolder(folder.substr(above + 1));
}

void* MapRunFile(int fd, size_t size)
{
    struct stat st {};
    if (fstat(fd, &st) != 0 || (static_cast<size_t>(st.st_size) < size && ftruncate(fd, static_cast<off_t>(size)) != 0)) {
        SetLastErrorFromErrno();
        return nullptr;
    }
    void* memory = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (memory == MAP_FAILED) {
        SetLastErrorFromErrno();
        return nullptr;
    }
    return memory;
}

} // namespace platform
