#include "FolderCache.h"

#include "HostNames.h"

#include "platform/ChangeWatch.h"
#include "platform/Text.h"

#include <algorithm>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <set>
#include <sys/inotify.h>
#include <unistd.h>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace platform::files {

namespace {

constexpr uint32_t kEntryEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;
constexpr uint32_t kFolderEvents = kEntryEvents | IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
constexpr uint32_t kFolderGone = IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED | IN_UNMOUNT;
// Folders kept at once; past it all is forgotten and walked again as needed.
constexpr size_t kKeptFolders = 1024;

std::wstring Key(const std::string& hostName) { return UpperCase(WindowsName(hostName)); }

struct Kept {
    std::shared_ptr<Descriptor> folder;
    std::vector<FolderStep> walk;
    std::vector<std::pair<int, std::wstring>> steps;  // each folder's watch and the name taken, as a key
    int watch;
};

// Folders with more names are not indexed: they are asked each time.
constexpr size_t kIndexedNames = 65536;

// A folder's host names with their types as the folder lists them (DT_UNKNOWN where a report did
// not tell), and the names by their upper-cased Windows names.
struct Index {
    std::unordered_map<std::string, unsigned char> types;
    std::unordered_map<std::wstring, std::set<std::string>> byKey;
    unsigned long changes = 0;  // names that came or went since it was read

    void Add(const std::string& name, unsigned char type)
    {
        types[name] = type;
        byKey[Key(name)].insert(name);
    }
    void Remove(const std::string& name)
    {
        types.erase(name);
        const auto names = byKey.find(Key(name));
        if (names != byKey.end() && names->second.erase(name) && names->second.empty())
            byKey.erase(names);
    }
};

struct KeptBits {
    ino_t inode;
    timespec born;
    std::optional<DWORD> bits;
};
// A folder's entries' attribute bits, and a count of the changes reported, so that bits read while
// a change came are not kept.
struct Attributes {
    std::unordered_map<std::string, KeptBits> entries;
    unsigned long changes = 0;
};

std::mutex g_mutex;
std::unordered_map<std::string, Kept> g_kept;
std::unordered_map<int, std::vector<std::string>> g_keptThrough;  // by watch: what may be kept through it
std::unordered_map<int, Index> g_indexes;                          // by watch
std::unordered_map<int, Attributes> g_attributes;                  // by watch
std::unordered_set<int> g_watches;                                 // every watch of ours
std::unordered_set<int> g_areaWatches;                             // those of the areas' own folders

void ForgetAll()
{
    for (const int watch : g_watches)
        if (!g_areaWatches.count(watch))
            ChangeWatch::Shared().Unwatch(watch);
    g_kept.clear();
    g_keptThrough.clear();
    g_indexes.clear();
    g_attributes.clear();
    g_watches.clear();
    g_areaWatches.clear();
}

// Drops what was kept through the folder: everything, or only what took the named entry.
void Drop(int watch, const std::wstring* name)
{
    const auto through = g_keptThrough.find(watch);
    if (through == g_keptThrough.end())
        return;
    std::vector<std::string>& keys = through->second;
    keys.erase(std::remove_if(keys.begin(), keys.end(),
                              [&](const std::string& key) {
                                  const auto kept = g_kept.find(key);
                                  if (kept == g_kept.end())
                                      return true;
                                  const bool taken = !name || std::any_of(kept->second.steps.begin(), kept->second.steps.end(),
                                                                          [&](const auto& step) {
                                                                              return step.first == watch && step.second == *name;
                                                                          });
                                  if (taken)
                                      g_kept.erase(kept);
                                  return taken;
                              }),
               keys.end());
}

void NoteChange(int watch, uint32_t event, const char* name)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    if (watch < 0) {
        ForgetAll();
        return;
    }
    if (!g_watches.count(watch))
        return;
    if (event & kFolderGone) {
        Drop(watch, nullptr);
        g_indexes.erase(watch);
        g_attributes.erase(watch);
        if (event & IN_IGNORED)
            g_watches.erase(watch);
        return;
    }
    if (!*name)
        return;
    if (const auto attributes = g_attributes.find(watch); attributes != g_attributes.end()) {
        ++attributes->second.changes;
        attributes->second.entries.erase(name);
    }
    if (!(event & kEntryEvents))
        return;
    const std::wstring key = Key(name);
    Drop(watch, &key);
    const auto index = g_indexes.find(watch);
    if (index == g_indexes.end())
        return;
    ++index->second.changes;
    if (!(event & (IN_CREATE | IN_MOVED_TO)))
        index->second.Remove(name);
    else if (index->second.types.size() < kIndexedNames)
        index->second.Add(name, (event & IN_ISDIR) ? DT_DIR : DT_UNKNOWN);
    else
        g_indexes.erase(index);
}

// Calls each with every entry's name and type.
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
            each(entry->d_name, entry->d_type);
    closedir(dir);
    return true;
}

} // namespace

int WatchFolder(int folderFd)
{
    static std::once_flag listening;
    std::call_once(listening, [] { ChangeWatch::Shared().Listen(NoteChange); });
    const int watch = ChangeWatch::Shared().Watch(PathOf(folderFd), kFolderEvents);
    if (watch >= 0) {
        std::lock_guard<std::mutex> lock(g_mutex);
        g_watches.insert(watch);
    }
    return watch;
}

std::shared_ptr<Descriptor> KeptFolder(const std::string& key, int& watch, std::vector<FolderStep>* steps)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    const auto kept = g_kept.find(key);
    if (kept == g_kept.end())
        return nullptr;
    watch = kept->second.watch;
    if (steps)
        *steps = kept->second.walk;
    return kept->second.folder;
}

void KeepFolder(const std::string& key, std::shared_ptr<Descriptor> folder, std::vector<FolderStep> steps, int watch)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    // A watch ended meanwhile (its folder removed) leaves nothing to keep.
    if (!g_watches.count(watch) || std::any_of(steps.begin(), steps.end(), [](const FolderStep& step) {
            return !g_watches.count(step.watch);
        }))
        return;
    if (g_kept.size() >= kKeptFolders)
        ForgetAll();
    Kept kept {std::move(folder), steps, {}, watch};
    for (const FolderStep& step : steps) {
        kept.steps.emplace_back(step.watch, Key(step.name));
        g_keptThrough[step.watch].push_back(key);
    }
    if (!steps.empty())
        g_areaWatches.insert(steps.front().watch);
    g_keptThrough[watch].push_back(key);
    g_kept[key] = std::move(kept);
}

bool FindEntry(int folderFd, int watch, const std::string& name, std::string& found, unsigned char& type,
               unsigned long* changes)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    if (watch < 0 || !g_watches.count(watch))
        return false;
    auto index = g_indexes.find(watch);
    if (index == g_indexes.end()) {
        // The folder is watched already: a name that comes while it is read is read, reported, or
        // both, and the reports are applied in order after the reading.
        Index names;
        bool small = true;
        if (!ReadFolder(folderFd, [&](const char* entry, unsigned char entryType) {
                small = small && names.types.size() < kIndexedNames;
                if (small)
                    names.Add(entry, entryType);
            }) ||
            !small)
            return false;
        index = g_indexes.emplace(watch, std::move(names)).first;
    }
    found.clear();
    type = DT_UNKNOWN;
    if (changes)
        *changes = index->second.changes;
    if (const auto exact = index->second.types.find(name); exact != index->second.types.end()) {
        found = name;
        type = exact->second;
    } else if (const auto alike = index->second.byKey.find(Key(name)); alike != index->second.byKey.end()) {
        found = *alike->second.begin();
        type = index->second.types[found];
    }
    return true;
}

bool KnownMissing(int watch, const std::string& name)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    const auto index = g_indexes.find(watch);
    return index != g_indexes.end() && g_watches.count(watch) && !index->second.types.count(name);
}

void NoteEntryType(int watch, const std::string& name, unsigned char type, unsigned long changes)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    const auto index = g_indexes.find(watch);
    if (index == g_indexes.end() || index->second.changes != changes)
        return;
    if (const auto entry = index->second.types.find(name); entry != index->second.types.end())
        entry->second = type;
}

std::string EntryIgnoringCase(int folderFd, int watch, const std::string& name)
{
    std::string found;
    unsigned char type = DT_UNKNOWN;
    if (FindEntry(folderFd, watch, name, found, type))
        return found;
    const std::wstring wanted = Key(name);
    ReadFolder(folderFd, [&](const char* entry, unsigned char) {
        if ((found.empty() || entry < found) && Key(entry) == wanted)
            found = entry;
    });
    return found;
}

std::optional<DWORD> KeptAttributes(int watch, const char* name, ino_t inode, timespec born,
                                    const std::function<std::optional<DWORD>(bool& keep)>& read)
{
    unsigned long changes = 0;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        if (!g_watches.count(watch)) {
            bool keep = false;
            return read(keep);
        }
        const Attributes& attributes = g_attributes[watch];
        const auto kept = attributes.entries.find(name);
        if (kept != attributes.entries.end() && kept->second.inode == inode && kept->second.born.tv_sec == born.tv_sec &&
            kept->second.born.tv_nsec == born.tv_nsec)
            return kept->second.bits;
        changes = attributes.changes;
    }
    bool keep = true;
    const std::optional<DWORD> bits = read(keep);
    std::lock_guard<std::mutex> lock(g_mutex);
    const auto attributes = g_attributes.find(watch);
    if (keep && attributes != g_attributes.end() && attributes->second.changes == changes)
        attributes->second.entries[name] = KeptBits {inode, born, bits};
    return bits;
}

} // namespace platform::files
