#include "FolderIndex.h"

#include "HostNames.h"
#include "PathResolver.h"

#include "platform/ChangeWatch.h"
#include "platform/Text.h"

#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <set>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>
#include <utility>

namespace platform::files {

namespace {

constexpr uint32_t kFolderEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF | IN_ONLYDIR;
// Folders indexed at once; past it every index is dropped and the folders read again as needed.
constexpr size_t kIndexedFolders = 256;

// The host names of one folder by their upper-cased Windows names.
struct Index {
    std::pair<dev_t, ino_t> folder;
    std::unordered_map<std::wstring, std::set<std::string>> names;

    void Add(const std::string& name) { names[UpperCase(WindowsName(name))].insert(name); }
    void Remove(const std::string& name)
    {
        const auto found = names.find(UpperCase(WindowsName(name)));
        if (found != names.end() && found->second.erase(name) && found->second.empty())
            names.erase(found);
    }
};

std::mutex g_mutex;
ChangeWatch& Watch()
{
    static auto* watch = new ChangeWatch; // outlives every static destructor
    return *watch;
}
std::unordered_map<int, Index> g_indexes;        // by watch
std::map<std::pair<dev_t, ino_t>, int> g_watches; // the watch of each folder indexed

void Forget(int watch)
{
    const auto found = g_indexes.find(watch);
    if (found == g_indexes.end())
        return;
    g_watches.erase(found->second.folder);
    g_indexes.erase(found);
}

// Applies the changes the kernel reported since the last lookup; all is forgotten where some may
// have been missed.
void CatchUp()
{
    const bool complete = Watch().Drain([](int watch, uint32_t event, const char* name) {
        const auto found = g_indexes.find(watch);
        if (found == g_indexes.end())
            return;
        if (event & (IN_CREATE | IN_MOVED_TO))
            found->second.Add(name);
        else if (event & (IN_DELETE | IN_MOVED_FROM))
            found->second.Remove(name);
        else if (event & (IN_DELETE_SELF | IN_IGNORED | IN_UNMOUNT))
            Forget(watch);
    });
    if (!complete) {
        g_indexes.clear();
        g_watches.clear();
    }
}

template <typename Each> bool ReadFolder(int folderFd, Each each)
{
    const int fd = openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* dir = fd >= 0 ? fdopendir(fd) : nullptr;
    if (!dir) {
        if (fd >= 0)
            close(fd);
        return false;
    }
    while (const dirent* entry = readdir(dir))
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            each(entry->d_name);
    closedir(dir);
    return true;
}

// The folder's index, read now where it is not kept; null where no watch can be kept for it.
const Index* IndexOf(int folderFd, const struct stat& st)
{
    const std::pair<dev_t, ino_t> folder {st.st_dev, st.st_ino};
    if (const auto kept = g_watches.find(folder); kept != g_watches.end())
        return &g_indexes[kept->second];
    if (g_indexes.size() >= kIndexedFolders) {
        for (const auto& [watch, index] : g_indexes)
            Watch().Unwatch(watch);
        g_indexes.clear();
        g_watches.clear();
    }
    // Watched before it is read: a name that comes meanwhile is read, reported, or both.
    const int watch = Watch().Watch(PathOf(folderFd), kFolderEvents);
    if (watch < 0)
        return nullptr;
    Index index;
    index.folder = folder;
    if (!ReadFolder(folderFd, [&](const char* name) { index.Add(name); })) {
        Watch().Unwatch(watch);
        return nullptr;
    }
    g_watches[folder] = watch;
    return &(g_indexes[watch] = std::move(index));
}

} // namespace

std::string EntryIgnoringCase(int folderFd, const std::wstring& wanted)
{
    struct stat st {};
    std::lock_guard<std::mutex> lock(g_mutex);
    // The folder was opened before the changes are caught up with, so that the removal of a folder
    // whose inode it now has is among them.
    CatchUp();
    if (fstat(folderFd, &st) != 0)
        return {};
    if (const Index* index = IndexOf(folderFd, st)) {
        const auto found = index->names.find(UpperCase(wanted));
        return found == index->names.end() ? std::string() : *found->second.begin();
    }
    std::string found;
    ReadFolder(folderFd, [&](const char* name) {
        if ((found.empty() || name < found) && EqualsIgnoringCase(WindowsName(name), wanted))
            found = name;
    });
    return found;
}

} // namespace platform::files
