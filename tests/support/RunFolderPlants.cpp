#include "support/RunFolderPlants.h"

#include "support/OtherUser.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <sstream>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace testing_support {

namespace {

bool MakeFolders(const std::string& path)
{
    std::string partial;
    for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
        partial = path.substr(0, slash);
        if (mkdir(partial.c_str(), 0755) != 0 && errno != EEXIST)
            return false;
    }
    return true;
}

} // namespace

std::string DescribedForChanges(const std::string& path)
{
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0)
        return "missing";
    std::ostringstream text;
    text << st.st_uid << ':' << st.st_gid << ' ' << std::oct << st.st_mode << std::dec << ' ' << st.st_size << ' '
         << st.st_mtim.tv_sec << '.' << st.st_mtim.tv_nsec;
    return text.str();
}

bool CPlantedRun::Look::operator==(const Look& other) const
{
    return names == other.names && folderStat == other.folderStat && fileStat == other.fileStat &&
           content == other.content;
}

CPlantedRun::CPlantedRun(const RunPlant& plant) : what_(plant.what)
{
    // beside the machine, on its file system, so that a hard link can lead there
    std::string pattern = fs::path(machine_.Root()).parent_path().string() + "/quarnel-outside-XXXXXX";
    if (!mkdtemp(pattern.data()))
        return;
    outside_ = pattern;
    secret_ = outside_ + "/secret";
    const int fd = open(secret_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    planted_ = fd >= 0 && write(fd, "root's own", 10) == 10;
    if (fd >= 0)
        close(fd);
    GiveToOtherUser(machine_.Root());

    const std::string folder = machine_.Root() + "/" + plant.folder;
    std::vector<std::string> paths;
    for (const std::string& at : plant.at)
        paths.push_back(at.empty() ? folder : folder + "/" + at);
    const std::string target = plant.kind == PlantKind::LinkToOutsideFolder ? outside_ : secret_;
    const PlantKind kind = plant.kind;
    planted_ = planted_ && AsOtherUser([&] {
        for (const std::string& path : paths) {
            if (!MakeFolders(path))
                return false;
            const bool made = kind == PlantKind::Fifo ? mkfifo(path.c_str(), 0644) == 0
                              : kind == PlantKind::HardLinkToOutsideFile ? true
                                                                          : symlink(target.c_str(), path.c_str()) == 0;
            if (!made)
                return false;
        }
        return true;
    });
    for (const std::string& path : paths) {
        // fs.protected_hardlinks keeps the user from linking a file of root's here; on a host
        // without it the user can, and a hard link swapped in at the right moment is the same
        if (kind == PlantKind::HardLinkToOutsideFile)
            planted_ = planted_ && link(secret_.c_str(), path.c_str()) == 0;
        if (kind == PlantKind::Fifo)
            fifos_.push_back(path);
    }
}

CPlantedRun::~CPlantedRun()
{
    if (!outside_.empty()) {
        std::error_code ignored;
        fs::remove_all(outside_, ignored);
    }
}

CPlantedRun::Look CPlantedRun::LookOutside() const
{
    Look look;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(outside_, error))
        look.names.push_back(entry.path().filename().string());
    look.folderStat = DescribedForChanges(outside_);
    look.fileStat = DescribedForChanges(secret_);
    look.content = ReadFile(secret_);
    return look;
}

void CPlantedRun::RunCalls(const std::function<void()>& calls) const
{
    const Look before = LookOutside();
    // whatever opens, reads, writes, makes or takes away there, through any name
    const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    const uint32_t mask = IN_OPEN | IN_ACCESS | IN_MODIFY | IN_CLOSE_WRITE | IN_CREATE | IN_DELETE | IN_MOVED_FROM |
                          IN_MOVED_TO | IN_DELETE_SELF;
    ASSERT_GE(watch, 0);
    ASSERT_GE(inotify_add_watch(watch, outside_.c_str(), mask), 0);
    ASSERT_GE(inotify_add_watch(watch, secret_.c_str(), mask), 0);

    // The calls run on this thread, so that they may be a window's; beside them a watcher opens
    // the FIFOs planted once the calls took too long, so that a call waiting in one ends.
    std::atomic<bool> done {false};
    std::thread watcher([&] {
        if (WaitUntil([&] { return done.load(); }))
            return;
        ADD_FAILURE() << what_ << ": a call blocked";
        // A writer let out of a FIFO's open finds no reader there: its write fails, and must not end
        // the test program.
        signal(SIGPIPE, SIG_IGN);
        while (!done) {
            for (const std::string& fifo : fifos_) {
                const int fd = open(fifo.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
                if (fd >= 0)
                    close(fd);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });
    {
        SCOPED_TRACE(what_);
        calls();
    }
    done = true;
    watcher.join();

    alignas(inotify_event) char events[sizeof(inotify_event) + NAME_MAX + 1];
    const ssize_t got = read(watch, events, sizeof(events));
    close(watch);
    if (got > 0) {
        const auto* event = reinterpret_cast<const inotify_event*>(events);
        ADD_FAILURE() << "reached outside the machine: event mask 0x" << std::hex << event->mask << std::dec << " on "
                      << (event->len ? event->name : "the watched place itself");
    }
    const Look after = LookOutside();
    EXPECT_EQ(before.names, after.names) << "made or removed outside the machine";
    EXPECT_EQ(before.folderStat, after.folderStat) << "the folder outside the machine changed";
    EXPECT_EQ(before.fileStat, after.fileStat) << "the file outside the machine changed";
    EXPECT_EQ(before.content, after.content) << "the file outside the machine was written";
}

} // namespace testing_support
