#include "platform/Machine.h"

#include "MachineRoot.h"

#include "platform/ChangeWatch.h"
#include "platform/IniFile.h"
#include "platform/Text.h"
#include "platform/win/SystemInfo.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cwchar>
#include <cwctype>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

std::mutex g_mutex;
std::vector<std::unique_ptr<MachineDescription>> g_generations; // older ones stay valid for callers

// What machine.ini was when the current description was read: other processes (the stand-in
// Windows programs) change the machine, and every process must see it as Windows would.
struct FileStamp {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified {};

    bool operator==(const FileStamp& other) const
    {
        return exists == other.exists && device == other.device && inode == other.inode && size == other.size &&
               modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec;
    }
};
FileStamp g_loadedStamp;

// The kernel's word that machine.ini may have changed, so that a call to Machine() costs no look at
// the file: the file itself is watched for changes of its content, the root for names that come,
// go or are renamed over it. Where no watch can be kept, the file's stamp is compared on every call.
constexpr uint32_t kFileEvents = IN_MODIFY | IN_ATTRIB | IN_CLOSE_WRITE | IN_DELETE_SELF | IN_MOVE_SELF;
constexpr uint32_t kRootEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF |
                                 IN_ONLYDIR;
const char kIniName[] = "machine.ini";

bool g_watching = false;   // whether machine.ini is watched
bool g_iniChanged = false; // whether a change was reported since it was read
int g_rootWatch = -1;
int g_fileWatch = -1;

void NoteChange(int watch, uint32_t, const char* name)
{
    g_iniChanged = g_iniChanged || watch < 0 || watch == g_fileWatch ||
                   (watch == g_rootWatch && (!*name || !std::strcmp(name, kIniName)));
}

// Watches machine.ini of the root from now on; false when it cannot be watched. Called with the
// machine's lock held, as every drain of the watch is.
bool WatchIni(const std::string& root)
{
    static std::once_flag listening;
    std::call_once(listening, [] { ChangeWatch::Shared().Listen(NoteChange); });
    ChangeWatch& watch = ChangeWatch::Shared();
    // What was reported so far is older than the reading that follows.
    watch.Drain();
    g_iniChanged = false;
    const int rootWatch = watch.Watch(root, kRootEvents);
    const int fileWatch = rootWatch >= 0 ? watch.Watch(root + "/" + kIniName, kFileEvents) : -1;
    const bool fileMissing = fileWatch < 0 && errno == ENOENT;
    for (const int old : {g_rootWatch, g_fileWatch})
        if (old >= 0 && old != rootWatch && old != fileWatch)
            watch.Unwatch(old);
    g_rootWatch = rootWatch;
    g_fileWatch = fileWatch;
    // A missing file is watched through the root, where it will come.
    return rootWatch >= 0 && (fileWatch >= 0 || fileMissing);
}

FileStamp StampOf(const std::string& path)
{
    FileStamp stamp;
    struct stat st {};
    if (stat(path.c_str(), &st) == 0) {
        stamp.exists = true;
        stamp.device = st.st_dev;
        stamp.inode = st.st_ino;
        stamp.size = st.st_size;
        stamp.modified = st.st_mtim;
    }
    return stamp;
}
std::string g_programFolder;

// The machine root itself, named by this process's own environment, is made by its path.
void MakeDirectories(const std::string& path)
{
    std::string partial;
    size_t pos = 0;
    while (pos != std::string::npos) {
        pos = path.find('/', pos + 1);
        partial = path.substr(0, pos);
        if (!partial.empty())
            mkdir(partial.c_str(), 0755);
    }
}


// Makes the folders of a relative path below a held folder, one name at a time relative to the
// folder above and never through a link, and gives the last one held (-1 when it could not be
// had): a value of machine.ini, or a folder of the machine that its user swapped for a link,
// cannot have a folder made outside the machine.
int MakeFoldersBelow(int folder, const std::string& relative)
{
    int current = fcntl(folder, F_DUPFD_CLOEXEC, 0);
    for (const std::string& name : HostPathNames(relative)) {
        if (current < 0)
            break;
        mkdirat(current, name.c_str(), 0755);
        const int next = openat(current, name.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        close(current);
        current = next;
    }
    return current;
}

// The same below the machine root, for a folder path inside it.
int MakeFoldersBelowRoot(const std::string& root, const std::string& path)
{
    if (path != root && path.compare(0, root.size() + 1, root + "/") != 0)
        return -1;
    const int held = open(root.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (held < 0)
        return -1;
    const int folder = MakeFoldersBelow(held, path.substr(root.size()));
    close(held);
    return folder;
}

void MakeFolderBelowRoot(const std::string& root, const std::string& path)
{
    const int folder = MakeFoldersBelowRoot(root, path);
    if (folder >= 0)
        close(folder);
}

// A machine.ini value that names something of the machine root: relative to the root, or absolute
// inside it. A value that would lead out of the machine is refused with a log line, and the
// fallback taken.
std::string InsideRoot(const std::string& root, const std::wstring& key, const std::wstring& value,
                       const std::string& fallback)
{
    if (value.empty())
        return fallback;
    const std::string text = ToUtf8(value);
    const std::string path = FoldedHostPath(text.front() == '/' ? text : root + "/" + text);
    if (path == root || path.compare(0, root.size() + 1, root + "/") == 0)
        return path;
    std::fprintf(stderr, "machine.ini: %s=%s leads out of the machine; %s is used\n", ToUtf8(key).c_str(),
                 text.c_str(), fallback.empty() ? "nothing" : fallback.c_str());
    return fallback;
}

// Whether a name can be one folder name of a Windows path (a user's profile folder, ...).
bool IsPlainName(const std::wstring& name)
{
    if (name.empty() || name == L"." || name == L".." || name.size() > 255)
        return false;
    for (const wchar_t c : name)
        if (c < 0x20 || std::wcschr(L"\\/:*?\"<>|", c))
            return false;
    return true;
}

// A Windows folder of a drive of the machine, written as "X:\a\b" without "." or ".."; empty otherwise.
std::wstring DriveFolder(const MachineDescription& machine, const std::wstring& value)
{
    if (value.size() < 3 || value[1] != L':' || value[2] != L'\\' || !machine.Drive(value[0]))
        return {};
    std::wstring folder = std::wstring(1, static_cast<wchar_t>(std::towupper(static_cast<wint_t>(value[0])))) + L":";
    size_t pos = 3;
    while (pos <= value.size()) {
        size_t next = value.find(L'\\', pos);
        if (next == std::wstring::npos)
            next = value.size();
        const std::wstring part = value.substr(pos, next - pos);
        if (!part.empty()) {
            if (!IsPlainName(part))
                return {};
            folder += L"\\" + part;
        }
        pos = next + 1;
    }
    return folder.size() > 2 ? folder : std::wstring();
}

WindowsVersion ParseVersion(const std::wstring& text, const WindowsVersion& fallback)
{
    WindowsVersion version = fallback;
    unsigned major = 0, minor = 0, build = 0;
    const int n = swscanf(text.c_str(), L"%u.%u.%u", &major, &minor, &build);
    if (n >= 2) {
        version.major = major;
        version.minor = minor;
        version.build = n == 3 ? build : 0;
    }
    return version;
}

// The folders a Windows system drive has, so that special folders and the temporary folder exist.
void LayOutSystemDrive(const std::string& root, const std::string& folder, const std::wstring& user)
{
    const int drive = MakeFoldersBelowRoot(root, folder);
    if (drive < 0)
        return;
    const std::string userDir = "Users/" + ToUtf8(user);
    for (const std::string& sub : {std::string("Windows/System32"), std::string("Windows/SysWOW64"),
                                   std::string("Windows/Temp"), std::string("Program Files/Common Files"),
                                   std::string("Program Files (x86)/Common Files"), std::string("ProgramData"),
                                   std::string("Users/Public/Desktop"), userDir + "/AppData/Local/Temp",
                                   userDir + "/AppData/Roaming", userDir + "/Desktop", userDir + "/Documents"}) {
        const int made = MakeFoldersBelow(drive, sub);
        if (made >= 0)
            close(made);
    }
    close(drive);
}

std::unique_ptr<MachineDescription> Load()
{
    auto machine = std::make_unique<MachineDescription>();
    machine->root = ConfiguredMachineRoot();
    MakeDirectories(machine->root);
    g_watching = WatchIni(machine->root);
    g_loadedStamp = StampOf(machine->root + "/machine.ini");
    const IniFile ini(machine->root + "/machine.ini");

    const std::wstring m = L"Machine";
    machine->reportedVersion = ParseVersion(ini.Get(m, L"WindowsVersion", L""), machine->reportedVersion);
    machine->reportedVersion.servicePackMajor = static_cast<uint32_t>(ini.GetInt(m, L"ServicePack", 0));
    machine->reportedVersion.csdVersion = ini.Get(m, L"CSDVersion", L"");
    machine->trueVersion = ParseVersion(ini.Get(m, L"TrueVersion", L""), machine->reportedVersion);
    machine->is64BitWindows = ini.GetInt(m, L"Is64Bit", 1) != 0;
    if (auto admin = ini.Get(m, L"Administrator"); admin && !admin->empty())
        machine->administrator = ini.GetInt(m, L"Administrator", 0) != 0;
    machine->screenHeight = static_cast<int>(ini.GetInt(m, L"ScreenHeight", 1080));
    if (const std::wstring user = ini.Get(m, L"UserName", machine->userName); IsPlainName(user))
        machine->userName = user;
    else
        std::fprintf(stderr, "machine.ini: UserName=%s is no plain name; %s is used\n", ToUtf8(user).c_str(),
                     ToUtf8(machine->userName).c_str());
    machine->computerName = ini.Get(m, L"ComputerName", machine->computerName);
    machine->registryImport = InsideRoot(machine->root, L"RegistryImport", ini.Get(m, L"RegistryImport", L""), "");

    for (const auto& section : ini.Sections()) {
        const std::wstring upper = UpperCase(section);
        if (upper.size() == 7 && upper.compare(0, 6, L"DRIVE ") == 0 && upper[6] >= L'A' && upper[6] <= L'Z') {
            DriveInfo drive;
            drive.letter = upper[6];
            drive.folder = InsideRoot(machine->root, L"Folder", ini.Get(section, L"Folder", L""),
                                      machine->root + "/drive_" +
                                          static_cast<char>(std::tolower(static_cast<char>(drive.letter))));
            drive.type = static_cast<unsigned>(ini.GetInt(section, L"Type", 3));
            drive.busType = static_cast<unsigned>(ini.GetInt(section, L"Bus", 11));
            drive.disk = static_cast<int>(ini.GetInt(section, L"Disk", 0));
            drive.label = ini.Get(section, L"Label", L"");
            drive.fileSystem = ini.Get(section, L"FileSystem", L"NTFS");
            drive.volumeGuid = ini.Get(section, L"Guid", L"");
            drive.serial = static_cast<uint32_t>(ini.GetInt(section, L"Serial", 0x1000 + drive.letter));
            drive.readOnly = ini.GetInt(section, L"ReadOnly", 0) != 0;
            if (ini.Get(section, L"TotalBytes"))
                drive.totalBytes = static_cast<uint64_t>(ini.GetInt(section, L"TotalBytes", 0));
            if (ini.Get(section, L"FreeBytes"))
                drive.freeBytes = static_cast<uint64_t>(ini.GetInt(section, L"FreeBytes", 0));
            machine->drives.push_back(std::move(drive));
        } else if (upper.compare(0, 5, L"DISK ") == 0) {
            DiskInfo disk;
            disk.number = static_cast<int>(std::wcstol(section.c_str() + 5, nullptr, 10));
            disk.busType = static_cast<unsigned>(ini.GetInt(section, L"Bus", 11));
            disk.vendor = ini.Get(section, L"Vendor", L"");
            disk.product = ini.Get(section, L"Product", L"");
            disk.sizeBytes = static_cast<uint64_t>(ini.GetInt(section, L"Size", 0));
            disk.readOnly = ini.GetInt(section, L"ReadOnly", 0) != 0;
            machine->disks.push_back(std::move(disk));
        }
    }
    if (!machine->Drive(L'C')) {
        DriveInfo system;
        system.folder = machine->root + "/drive_c";
        system.label = L"System";
        system.serial = 0x1000 + L'C';
        machine->drives.push_back(std::move(system));
    }
    if (machine->disks.empty()) {
        DiskInfo disk;
        disk.vendor = L"QUARNEL";
        disk.product = L"Virtual Disk";
        machine->disks.push_back(std::move(disk));
    }
    std::sort(machine->drives.begin(), machine->drives.end(),
              [](const DriveInfo& a, const DriveInfo& b) { return a.letter < b.letter; });
    if (const std::wstring folder = ini.Get(m, L"ProgramFolder", L""); !folder.empty()) {
        const std::wstring valid = DriveFolder(*machine, folder);
        if (valid.empty())
            std::fprintf(stderr, "machine.ini: ProgramFolder=%s is no folder of a drive; %s is used\n",
                         ToUtf8(folder).c_str(), ToUtf8(machine->programFolder).c_str());
        else
            machine->programFolder = valid;
    }
    for (const auto& drive : machine->drives)
        MakeFolderBelowRoot(machine->root, drive.folder);
    LayOutSystemDrive(machine->root, machine->Drive(L'C')->folder, machine->userName);
    return machine;
}

} // namespace

std::string ConfiguredMachineRoot()
{
    std::string root;
    if (const char* env = std::getenv("QUARNEL_MACHINE"); env && *env)
        root = env;
    else if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg)
        root = std::string(xdg) + "/orvane/machine";
    else if (const char* home = std::getenv("HOME"); home && *home)
        root = std::string(home) + "/.local/share/orvane/machine";
    else
        root = "/tmp/orvane/machine";
    if (root.front() != '/') {
        char current[4096];
        root = std::string(getcwd(current, sizeof(current)) ? current : "/") + "/" + root;
    }
    return FoldedHostPath(root);
}

std::vector<std::string> HostPathNames(const std::string& path)
{
    std::vector<std::string> names;
    size_t pos = 0;
    while (pos <= path.size()) {
        size_t next = path.find('/', pos);
        if (next == std::string::npos)
            next = path.size();
        if (next > pos)
            names.push_back(path.substr(pos, next - pos));
        pos = next + 1;
    }
    return names;
}

std::string FoldedHostPath(const std::string& path)
{
    std::vector<std::string> parts;
    for (std::string& part : HostPathNames(path)) {
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (part != ".") {
            parts.push_back(std::move(part));
        }
    }
    std::string folded;
    for (const auto& part : parts)
        folded += "/" + part;
    return folded.empty() ? "/" : folded;
}

const DriveInfo* MachineDescription::Drive(wchar_t letter) const
{
    const wchar_t upper = (letter >= L'a' && letter <= L'z') ? static_cast<wchar_t>(letter - 32) : letter;
    for (const auto& drive : drives)
        if (drive.letter == upper)
            return &drive;
    return nullptr;
}

const DiskInfo* MachineDescription::Disk(int number) const
{
    for (const auto& disk : disks)
        if (disk.number == number)
            return &disk;
    return nullptr;
}

namespace {

thread_local int t_looksHeld = 0;
thread_local bool t_looked = false;  // whether the outermost look held has drained the queue

} // namespace

OneLookAtChanges::OneLookAtChanges()
{
    if (t_looksHeld++ == 0)
        t_looked = false;
}

OneLookAtChanges::~OneLookAtChanges() { --t_looksHeld; }

const MachineDescription& Machine()
{
    const int callerErrno = errno;
    std::lock_guard<std::mutex> lock(g_mutex);
    // Every change reported so far reaches the layer's listeners here, this one's among them.
    if (!t_looked || t_looksHeld == 0) {
        ChangeWatch::Shared().Drain();
        t_looked = t_looksHeld > 0;
    }
    const bool changed = g_generations.empty() ||
                         (g_watching ? g_iniChanged
                                     : !(StampOf(g_generations.back()->root + "/machine.ini") == g_loadedStamp));
    if (changed)
        g_generations.push_back(Load());
    errno = callerErrno;
    return *g_generations.back();
}

void ReloadMachine()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_generations.push_back(Load());
}

std::string MachinePath(const std::string& relative)
{
    const std::string root = Machine().root;
    const std::string path = FoldedHostPath(root + "/" + relative);
    MakeFolderBelowRoot(root, path);
    return path;
}

std::string MachineIniPath() { return Machine().root + "/machine.ini"; }

std::string ProgramFolder()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!g_programFolder.empty())
        return g_programFolder;
    if (const char* env = std::getenv("QUARNEL_PROGRAM_FOLDER"); env && *env)
        return env;
    // The folder the program was started from, as Windows names a module by the path it was loaded
    // from: a later rename of the program (an update puts its files in place) changes nothing, and
    // the many calls that ask cost no look at the kernel's link.
    static const std::string started = [] {
        char buffer[4096];
        const ssize_t n = readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
        if (n <= 0)
            return std::string();
        const std::string exe(buffer, static_cast<size_t>(n));
        return exe.substr(0, exe.rfind('/'));
    }();
    return started.empty() ? "." : started;
}

void SetProgramFolder(const std::string& hostFolder)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_programFolder = hostFolder;
}

} // namespace platform
