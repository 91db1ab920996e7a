#include "RunFolder.h"

#include "platform/Machine.h"
#include "platform/win/Errors.h"

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

int OpenRunFile(const std::string& path)
{
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        SetLastErrorFromErrno();
        return -1;
    }
    struct stat folder {}, file {};
    const std::string parent = path.substr(0, path.rfind('/'));
    if (geteuid() == 0 && stat(parent.c_str(), &folder) == 0 && fstat(fd, &file) == 0 && file.st_uid != folder.st_uid)
        (void)!fchown(fd, folder.st_uid, folder.st_gid);
    return fd;
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
