#include "RunFolder.h"

#include "platform/Machine.h"
#include "platform/win/Errors.h"

#include <cerrno>
#include <fcntl.h>
#include <mutex>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

std::string RunFolder()
{
    static std::mutex mutex;
    static std::string root, folder;
    const std::string& current = Machine().root;
    std::lock_guard<std::mutex> lock(mutex);
    if (current != root) {
        folder = MachinePath("run");
        root = current;
    }
    return folder;
}

namespace {

// An elevated process gives what it makes in run/ to the folder's owner, so that the user's own
// processes can use it too.
void GiveToFolderOwner(int fd, const std::string& path)
{
    struct stat folder {}, file {};
    const std::string parent = path.substr(0, path.rfind('/'));
    if (geteuid() == 0 && stat(parent.c_str(), &folder) == 0 && fstat(fd, &file) == 0 && file.st_uid != folder.st_uid)
        (void)!fchown(fd, folder.st_uid, folder.st_gid);
}

} // namespace

std::string RunSubfolder(const std::string& name)
{
    const std::string path = RunFolder() + "/" + name;
    if (mkdir(path.c_str(), 0755) != 0 && errno != EEXIST)
        return {};
    const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return {};
    GiveToFolderOwner(fd, path);
    close(fd);
    return path;
}

int OpenRunFile(const std::string& path)
{
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        SetLastErrorFromErrno();
        return -1;
    }
    GiveToFolderOwner(fd, path);
    return fd;
}

bool IsFileAt(int fd, const std::string& path)
{
    struct stat opened {}, named {};
    return fstat(fd, &opened) == 0 && stat(path.c_str(), &named) == 0 && opened.st_dev == named.st_dev &&
           opened.st_ino == named.st_ino;
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
