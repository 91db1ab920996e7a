#include "PathResolver.h"

#include "Drives.h"
#include "FilePaths.h"
#include "FolderCache.h"
#include "HostNames.h"

#include "platform/Machine.h"
#include "platform/Text.h"
#include "platform/win/Errors.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cwctype>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <linux/openat2.h>
#include <mutex>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <vector>

namespace platform::files {

namespace {

constexpr int kMaximumLinks = 40;
constexpr int kOpenRetries = 8;
constexpr unsigned kStatusMask = STATX_BASIC_STATS | STATX_BTIME;

// A host folder the machine consists of (the machine root, the program folder), held open.
struct Area {
    std::string folder;                 // as the machine names it
    std::string real;                   // with the links on the way to it resolved
    std::shared_ptr<Descriptor> fd;
    bool own = false;                   // whether the process acts there with its own rights
};

using AreaPointer = std::shared_ptr<const Area>;

std::mutex g_areaMutex;
AreaPointer g_machineArea;
AreaPointer g_programArea;

// The area of a folder, opened again only when the folder has changed. The program folder is a
// place of the process's own where it acts for the machine's user and only root can write there.
AreaPointer AreaOf(const std::string& folder, AreaPointer& cached, bool program)
{
    std::lock_guard<std::mutex> lock(g_areaMutex);
    if (!cached || cached->folder != folder || !cached->fd) {
        auto area = std::make_shared<Area>();
        area->own = program && ActsForMachineUser() && IsRootsAlone(folder);
        const OwnRights rights(area->own);
        const int fd = open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        char real[PATH_MAX];
        area->folder = folder;
        area->real = realpath(folder.c_str(), real) ? real : folder;
        area->fd = fd >= 0 ? std::make_shared<Descriptor>(fd) : nullptr;
        cached = area;
    }
    return cached;
}

AreaPointer MachineArea(const std::string& root) { return AreaOf(root, g_machineArea, false); }
AreaPointer MachineArea() { return MachineArea(Machine().root); }
AreaPointer ProgramArea() { return AreaOf(ProgramFolder(), g_programArea, true); }

// The path the kernel knows an open folder by.
std::string RealPathOf(int fd)
{
    char real[PATH_MAX];
    const ssize_t length = readlink(PathOf(fd).c_str(), real, sizeof(real) - 1);
    return length > 0 ? std::string(real, static_cast<size_t>(length)) : std::string();
}

std::string Join(const std::string& a, const std::string& b) { return a.empty() ? b : b.empty() ? a : a + "/" + b; }

// The part of path below folder, when path is the folder or lies below it.
bool Below(const std::string& folder, const std::string& path, std::string& relative)
{
    if (path == folder) {
        relative.clear();
        return true;
    }
    if (folder != "/" && (path.size() <= folder.size() || path[folder.size()] != '/' || path.compare(0, folder.size(), folder) != 0))
        return false;
    relative = path.substr(folder == "/" ? 1 : folder.size() + 1);
    return true;
}

long OpenAt(int folderFd, const std::string& path, int flags, unsigned mode, uint64_t resolve)
{
    open_how how {};
    how.flags = static_cast<uint64_t>(flags | O_CLOEXEC);
    how.mode = (flags & O_CREAT) ? mode : 0;
    how.resolve = resolve;
    long fd = -1;
    // The kernel answers EAGAIN when a rename elsewhere raced the walk; the walk is then repeated.
    for (int attempt = 0; attempt < kOpenRetries; ++attempt) {
        fd = syscall(SYS_openat2, folderFd, path.empty() ? "." : path.c_str(), &how, sizeof(how));
        if (fd >= 0 || (errno != EAGAIN && errno != EINTR))
            break;
    }
    return fd;
}

int OpenBeneath(const Area& area, const std::string& relative, int flags, unsigned mode, int links);

// The area that holds an absolute host path, with the path below it; false outside the machine.
bool AreaHolding(const std::string& path, Area& area, std::string& relative)
{
    for (const AreaPointer& candidate : {MachineArea(), ProgramArea()}) {
        if (candidate->fd && (Below(candidate->real, path, relative) || Below(candidate->folder, path, relative))) {
            area = *candidate;
            return true;
        }
    }
    return false;
}

// The slow walk, for a path on which the kernel's walk met a link that leaves the area it started
// in: each name is opened without following links, and each link's target is read and walked again
// from the area that holds it. A target outside the machine makes the link a broken one (EXDEV).
int WalkLinks(const Area& area, const std::string& relative, int flags, unsigned mode, int links)
{
    const std::vector<std::string> parts = HostPathNames(relative);
    std::shared_ptr<Descriptor> current = area.fd;
    std::string currentPath = area.real;
    if (currentPath.empty()) {
        char real[PATH_MAX];
        const ssize_t length = readlink(PathOf(area.fd->Fd()).c_str(), real, sizeof(real) - 1);
        currentPath = length > 0 ? std::string(real, static_cast<size_t>(length)) : "/";
    }
    for (size_t i = 0; i < parts.size(); ++i) {
        const bool last = i + 1 == parts.size();
        const long fd = OpenAt(current->Fd(), parts[i], O_PATH | O_NOFOLLOW, 0, RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS);
        if (fd < 0)
            return last && errno == ENOENT && (flags & O_CREAT)
                       ? static_cast<int>(OpenAt(current->Fd(), parts[i], flags, mode, RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS))
                       : -1;
        struct stat st {};
        const bool link = fstat(static_cast<int>(fd), &st) == 0 && S_ISLNK(st.st_mode);
        if (!link) {
            if (last) {
                close(static_cast<int>(fd));
                return static_cast<int>(OpenAt(current->Fd(), parts[i], flags, mode, RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS));
            }
            current = std::make_shared<Descriptor>(static_cast<int>(fd));
            currentPath += "/" + parts[i];
            continue;
        }
        if (last && (flags & O_NOFOLLOW)) {
            if (flags & O_PATH)
                return static_cast<int>(fd);
            close(static_cast<int>(fd));
            errno = ELOOP;
            return -1;
        }
        char target[PATH_MAX];
        const ssize_t length = readlinkat(static_cast<int>(fd), "", target, sizeof(target) - 1);
        close(static_cast<int>(fd));
        if (length <= 0)
            return -1;
        if (links >= kMaximumLinks) {
            errno = ELOOP;
            return -1;
        }
        const std::string text(target, static_cast<size_t>(length));
        std::string rest = FoldedHostPath(text.front() == '/' ? text : currentPath + "/" + text);
        Area next;
        std::string below;
        if (!AreaHolding(rest, next, below)) {
            errno = EXDEV;
            return -1;
        }
        for (size_t k = i + 1; k < parts.size(); ++k)
            below = Join(below, parts[k]);
        return OpenBeneath(next, below, flags, mode, links + 1);
    }
    return static_cast<int>(OpenAt(current->Fd(), ".", flags, mode, RESOLVE_BENEATH));
}

int OpenBeneath(const Area& area, const std::string& relative, int flags, unsigned mode, int links)
{
    if (!area.fd) {
        errno = ENOENT;
        return -1;
    }
    const long fd = OpenAt(area.fd->Fd(), relative, flags, mode, RESOLVE_BENEATH | RESOLVE_NO_MAGICLINKS);
    if (fd >= 0 || errno != EXDEV)
        return static_cast<int>(fd);
    return WalkLinks(area, relative, flags, mode, links);
}

// Opens the folder below the area, and keeps it where it was reached name by name without a link
// or a mount point on the way: each folder on the way is watched before the next name is opened in
// it, so that whatever changes the way afterwards is reported and drops the kept folder. Folders
// on the way are kept as well, so that a path is walked from the deepest of them. watch is the
// folder's own watch (-1 when it is not kept).
std::shared_ptr<Descriptor> OpenFolder(const Area& area, const std::string& relative, int& watch)
{
    watch = -1;
    if (!area.fd) {
        errno = ENOENT;
        return nullptr;
    }
    // Keys are the area's folder, a zero byte and the path below it; the first lookup is the usual
    // hit, made without building a second string.
    std::string areaKey;
    areaKey.reserve(area.folder.size() + 1 + relative.size());
    areaKey.append(area.folder).append(1, '\0').append(relative);
    if (auto kept = KeptFolder(areaKey, watch))
        return kept;
    areaKey.resize(area.folder.size() + 1);
    std::shared_ptr<Descriptor> current;
    std::vector<FolderStep> steps;
    std::string walked;
    int currentWatch = -1;
    const std::vector<std::string> parts = HostPathNames(relative);
    // From the deepest folder on the way that is kept.
    size_t start = parts.empty() ? 0 : parts.size() - 1;
    for (; start > 0; --start) {
        std::string prefix;
        for (size_t i = 0; i < start; ++i)
            prefix = Join(prefix, parts[i]);
        if ((current = KeptFolder(areaKey + prefix, currentWatch, &steps))) {
            walked = prefix;
            break;
        }
    }
    if (!current) {
        current = area.fd;
        currentWatch = WatchFolder(current->Fd());
        start = 0;
        if (currentWatch >= 0)
            KeepFolder(areaKey, current, {}, currentWatch);
    }
    for (size_t i = start; i < parts.size() && currentWatch >= 0; ++i) {
        // A name the folder's index does not hold is not asked for again.
        if (KnownMissing(currentWatch, parts[i])) {
            errno = ENOENT;
            return nullptr;
        }
        const long fd = OpenAt(current->Fd(), parts[i], O_PATH | O_DIRECTORY, 0,
                               RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS | RESOLVE_NO_XDEV);
        if (fd < 0) {
            if (errno == ENOENT || errno == ENOTDIR)
                return nullptr;
            break;  // a link or a mount point: walked as a whole below
        }
        auto next = std::make_shared<Descriptor>(static_cast<int>(fd));
        steps.push_back(FolderStep {currentWatch, parts[i]});
        walked = Join(walked, parts[i]);
        currentWatch = WatchFolder(next->Fd());
        current = std::move(next);
        if (currentWatch >= 0)
            KeepFolder(areaKey + walked, current, steps, currentWatch);
    }
    if (walked == relative && currentWatch >= 0) {
        watch = currentWatch;
        return current;
    }
    const int fd = OpenBeneath(area, relative, O_PATH | O_DIRECTORY, 0, 0);
    return fd >= 0 ? std::make_shared<Descriptor>(fd) : nullptr;
}

// Whether the folder holds the name, with the name's status (links are not followed).
bool Exists(int folderFd, const std::string& name, struct statx& status)
{
    const bool exists = statx(folderFd, name.c_str(), AT_SYMLINK_NOFOLLOW, kStatusMask, &status) == 0;
    if (!exists)
        status = {};
    return exists;
}

// Opens the folder of the first count names below the area's base, matching each name ignoring
// case where no name of that exact case exists; the names are replaced by those found. Null when
// a folder on the way is missing or cannot be reached inside the machine. For a path whose folder
// is missing by the names as given.
std::shared_ptr<Descriptor> OpenMatchingCase(const Area& area, const std::string& base, std::vector<std::string>& names,
                                             size_t count, int& watch)
{
    std::string relative = base;
    std::shared_ptr<Descriptor> folder = OpenFolder(area, relative, watch);
    for (size_t i = 0; folder && i < count; ++i) {
        int nextWatch = -1;
        auto next = OpenFolder(area, Join(relative, names[i]), nextWatch);
        if (!next && errno == ENOENT) {
            const std::string found = EntryIgnoringCase(folder->Fd(), watch, names[i]);
            if (found.empty())
                return nullptr;
            names[i] = found;
            next = OpenFolder(area, Join(relative, names[i]), nextWatch);
        }
        folder = next;
        watch = nextWatch;
        relative = Join(relative, names[i]);
    }
    return folder;
}

// Whether the Windows path is the folder given or lies below it (ignoring case).
bool BelowWindowsFolder(const std::wstring& path, const std::wstring& folder)
{
    if (path.size() < folder.size() || (path.size() > folder.size() && path[folder.size()] != L'\\'))
        return false;
    for (size_t i = 0; i < folder.size(); ++i) {
        const wchar_t a = path[i];
        const wchar_t b = folder[i];
        const bool same = a == b || (a < 0x80 && b < 0x80 ? std::towlower(static_cast<wint_t>(a)) == std::towlower(static_cast<wint_t>(b))
                                                          : EqualsIgnoringCase(std::wstring(1, a), std::wstring(1, b)));
        if (!same)
            return false;
    }
    return true;
}

} // namespace

Descriptor::~Descriptor()
{
    if (fd_ >= 0)
        close(fd_);
}

std::string PathOf(int fd) { return "/proc/self/fd/" + std::to_string(fd); }

std::string Place::At() const { return parent ? PathOf(parent->Fd()) + "/" + name : std::string(); }

int Place::Open(int flags, unsigned mode) const
{
    if (!parent) {
        errno = ENOENT;
        return -1;
    }
    if (own) {
        const OwnRights rights;
        return static_cast<int>(OpenAt(parent->Fd(), name == "." ? "" : name, flags | O_NOFOLLOW, mode,
                                       RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS));
    }
    return OpenBeneath(Area {PathOf(parent->Fd()), std::string(), parent}, name == "." ? "" : name, flags, mode, 0);
}

int OpenInFolder(int folderFd, const std::string& name, int flags, unsigned mode)
{
    const int own = fcntl(folderFd, F_DUPFD_CLOEXEC, 0);
    if (own < 0)
        return -1;
    return OpenBeneath(Area {PathOf(own), std::string(), std::make_shared<Descriptor>(own)}, name, flags, mode, 0);
}

bool Resolve(const std::wstring& fullPath, Place& place, unsigned& error)
{
    place = Place();
    error = ERROR_PATH_NOT_FOUND;
    const MachineDescription& machine = Machine();
    AreaPointer areaPointer;
    std::string base;
    size_t restStart = 0;
    if (BelowWindowsFolder(fullPath, machine.programFolder)) {
        areaPointer = ProgramArea();
        restStart = machine.programFolder.size();
    } else {
        const DriveInfo* drive = fullPath.size() >= 2 && fullPath[1] == L':' ? machine.Drive(fullPath[0]) : nullptr;
        if (!drive || !Below(machine.root, drive->folder, base))
            return false;
        areaPointer = MachineArea(machine.root);
        restStart = 2;
    }
    const Area& area = *areaPointer;
    // The program folder is walked with the rights that will act there.
    const OwnRights rights(area.own);
    // The host names, each after the one before, and where each starts.
    std::string given;
    given.reserve(base.size() + 4 * (fullPath.size() - std::min(restStart, fullPath.size())) + 1);
    given = base;
    std::vector<size_t> starts;
    starts.reserve(32);
    size_t pos = restStart;
    while (pos <= fullPath.size()) {
        size_t next = fullPath.find(L'\\', pos);
        if (next == std::wstring::npos)
            next = fullPath.size();
        if (next > pos) {
            if (!given.empty())
                given += '/';
            starts.push_back(given.size());
            if (!AppendHostName(fullPath.data() + pos, next - pos, given)) {
                error = ERROR_INVALID_NAME;
                return false;
            }
        }
        pos = next + 1;
    }
    place.host = given.empty() ? area.folder : area.folder + "/" + given;
    place.writeProtected = IsWriteProtected(machine, place.host);
    if (!area.fd)
        return true;
    int watch = -1;
    if (starts.empty()) {
        place.parent = OpenFolder(area, base, watch);
        place.name = ".";
        place.exists = place.parent != nullptr;
        place.mode = place.exists ? S_IFDIR : 0;
        place.leavesMachine = !place.parent && errno == EXDEV;
        place.own = area.own && place.parent && RealPathOf(place.parent->Fd()) == Join(area.real, base);
        return true;
    }
    // The folders are walked at once, and name by name only where a name is not of the case given;
    // a name is matched ignoring case where no name of that exact case exists.
    const size_t last = starts.back();
    std::string relative = last > 0 ? given.substr(0, last - 1) : std::string();
    place.name = given.substr(last);
    place.parent = OpenFolder(area, relative, watch);
    if (!place.parent && errno == ENOENT) {
        std::vector<std::string> names;
        for (size_t i = 0; i < starts.size(); ++i)
            names.push_back(given.substr(starts[i], (i + 1 < starts.size() ? starts[i + 1] - 1 : given.size()) - starts[i]));
        place.parent = OpenMatchingCase(area, base, names, names.size() - 1, watch);
        relative = base;
        for (size_t i = 0; i + 1 < names.size(); ++i)
            relative = Join(relative, names[i]);
    }
    place.leavesMachine = !place.parent && errno == EXDEV;
    std::string found;
    unsigned char type = DT_UNKNOWN;
    unsigned long changes = 0;
    if (place.parent && FindEntry(place.parent->Fd(), watch, place.name, found, type, &changes)) {
        // The folder's kept index tells whether it holds the name, and mostly what it is.
        place.name = found.empty() ? place.name : found;
        place.exists = !found.empty() && (type != DT_UNKNOWN || Exists(place.parent->Fd(), place.name, place.status));
        place.statusRead = place.exists && type == DT_UNKNOWN;
        place.mode = type != DT_UNKNOWN ? DTTOIF(type) : place.status.stx_mode;
        if (place.statusRead)
            NoteEntryType(watch, place.name, IFTODT(place.mode), changes);
    } else if (place.parent) {
        if (!(place.exists = Exists(place.parent->Fd(), place.name, place.status))) {
            found = EntryIgnoringCase(place.parent->Fd(), -1, place.name);
            if (!found.empty()) {
                place.name = found;
                place.exists = Exists(place.parent->Fd(), place.name, place.status);
            }
        }
        place.statusRead = place.exists;
        place.mode = place.status.stx_mode;
    }
    place.watch = place.parent ? watch : -1;
    // A place of the process's own is one no link led to: where one did, the user's rights act.
    place.own = area.own && place.parent && RealPathOf(place.parent->Fd()) == Join(area.real, relative);
    place.host.clear();
    place.host.reserve(area.folder.size() + relative.size() + place.name.size() + 2);
    place.host.append(area.folder).append(relative.empty() ? "" : "/").append(relative).append(place.name.empty() ? "" : "/").append(place.name);
    return true;
}

} // namespace platform::files

namespace platform {

std::string HostPath(const std::wstring& windowsPath)
{
    const DWORD lastError = GetLastError();
    files::Place place;
    std::string host;
    if (!windowsPath.empty() && files::ResolvePath(windowsPath.c_str(), place) && !place.leavesMachine) {
        host = place.host;
        if (S_ISLNK(place.mode)) {
            const int fd = place.Open(O_PATH);
            if (fd >= 0)
                close(fd);
            else if (errno == EXDEV)
                host.clear();
        }
    }
    SetLastError(lastError);
    return host;
}

std::string HostPath(const std::string& windowsPathUtf8) { return HostPath(FromUtf8(windowsPathUtf8)); }

std::wstring WindowsPath(const std::string& hostPath)
{
    using namespace files;
    if (hostPath.empty() || hostPath.front() != '/')
        return {};
    const std::string path = FoldedHostPath(hostPath);
    const MachineDescription& machine = Machine();
    std::string rest;
    std::wstring windows;
    if (Below(FoldedHostPath(ProgramFolder()), path, rest)) {
        windows = machine.programFolder;
    } else {
        const DriveInfo* best = nullptr;
        std::string below;
        for (const auto& drive : machine.drives)
            if (Below(drive.folder, path, below) && (!best || drive.folder.size() > best->folder.size())) {
                best = &drive;
                rest = below;
            }
        if (!best)
            return {};
        windows = std::wstring(1, best->letter) + L":";
    }
    for (const auto& part : HostPathNames(rest))
        windows += L"\\" + WindowsName(part);
    if (windows.size() == 2)
        windows += L"\\";
    return windows;
}

} // namespace platform
