// The cost per call of the layer's path resolution and file calls, each beside the plain host
// calls that do the same work on the same tree: resolving a drive path, opening and closing a
// file, reading a file's attributes, listing a folder (per entry), and reading a registry value
// of an open key. Each figure is the median of several rounds, in the thread's own processor time
// (user and kernel), so that other work on the host weighs less. The goal: each layer call at most
// 1.5 times its host counterpart.
//
//   LayerBench [work folder]      (default: /tmp)
#include "platform/Machine.h"
#include "platform/Text.h"
#include "platform/Windows.h"
#include "support/ThreadTiming.h"

#include <dirent.h>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kRounds = 7;
constexpr int kCallsPerRound = 20000;
constexpr int kFilesInFolder = 1000;
constexpr int kHiddenEvery = 10;  // every tenth file carries Windows attributes of its own
constexpr int kListingsPerRound = 20;
constexpr double kGoal = 1.5;

long Repeat(const std::function<bool()>& call)
{
    long done = 0;
    for (int i = 0; i < kCallsPerRound; ++i)
        done += call() ? 1 : 0;
    return done == kCallsPerRound ? done : -1;
}

// The layer's and the host's figures side by side, with the layer's share of the host's cost.
void Report(const char* title, double layer, const char* hostTitle, double host)
{
    if (layer < 0 || host < 0) {
        std::printf("  %-30s failed\n", title);
        return;
    }
    std::printf("  %-30s %8.0f ns  %-34s %8.0f ns  %5.2fx%s\n", title, layer, hostTitle, host, layer / host,
                layer / host > kGoal ? "  (above the goal)" : "");
}

double HostLoad()
{
    double load = 0;
    std::ifstream("/proc/loadavg") >> load;
    return load;
}

// Lists the folder with the host's calls: each entry's status and, with attributes, the kept
// Windows attributes as well. The entries listed; -1 when the folder cannot be read.
long ListOnHost(const std::string& folder, bool attributes)
{
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return -1;
    long entries = 0;
    while (const dirent* entry = readdir(dir)) {
        struct stat st {};
        if (fstatat(dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        if (attributes) {
            char value[16];
            getxattr((folder + "/" + entry->d_name).c_str(), "user.DOSATTRIB", value, sizeof(value));
        }
        ++entries;
    }
    closedir(dir);
    return entries;
}

long ListInLayer(const std::wstring& pattern)
{
    WIN32_FIND_DATAW data;
    const HANDLE find = FindFirstFileW(pattern.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return -1;
    long entries = 0;
    do
        ++entries;
    while (FindNextFileW(find, &data));
    FindClose(find);
    return entries;
}

// A registry value in a table shaped as a registry keeps it, read by a prepared select: what the
// layer's RegQueryValueExW is measured against.
class CPreparedSelect {
public:
    explicit CPreparedSelect(const std::string& path)
    {
        if (sqlite3_open(path.c_str(), &db_) != SQLITE_OK)
            return;
        sqlite3_exec(db_,
                     "PRAGMA journal_mode=WAL;"
                     "CREATE TABLE vals(key INTEGER, upper TEXT, type INTEGER, data BLOB, UNIQUE(key, upper));"
                     "INSERT INTO vals VALUES(7, 'INSTALLPATH', 1, x'43003a005c00');",
                     nullptr, nullptr, nullptr);
        sqlite3_prepare_v2(db_, "SELECT type, data FROM vals WHERE key = ?1 AND upper = ?2", -1, &select_, nullptr);
    }
    ~CPreparedSelect()
    {
        sqlite3_finalize(select_);
        sqlite3_close(db_);
    }
    CPreparedSelect(const CPreparedSelect&) = delete;
    CPreparedSelect& operator=(const CPreparedSelect&) = delete;

    bool Read(std::vector<unsigned char>& data)
    {
        if (!select_)
            return false;
        sqlite3_bind_int64(select_, 1, 7);
        sqlite3_bind_text(select_, 2, "INSTALLPATH", -1, SQLITE_STATIC);
        const bool found = sqlite3_step(select_) == SQLITE_ROW;
        if (found) {
            const auto* bytes = static_cast<const unsigned char*>(sqlite3_column_blob(select_, 1));
            data.assign(bytes, bytes + sqlite3_column_bytes(select_, 1));
        }
        sqlite3_reset(select_);
        return found;
    }

private:
    sqlite3* db_ = nullptr;
    sqlite3_stmt* select_ = nullptr;
};

void MeasureFiles(const std::wstring& folder, const std::string& hostFolder)
{
    const std::wstring file = folder + L"\\file0500.tmp";
    const std::wstring otherCase = folder + L"\\FILE0500.TMP";  // Windows ignores the case of names
    const std::string hostFile = hostFolder + "/file0500.tmp";
    const double hostWalk = bench::NanosecondsPerUnit(kRounds, [&] {
        return Repeat([&] {
            struct stat st {};
            return fstatat(AT_FDCWD, hostFile.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
        });
    });
    Report("path resolution (HostPath)",
           bench::NanosecondsPerUnit(kRounds, [&] { return Repeat([&] { return !platform::HostPath(file).empty(); }); }),
           "fstatat of the host path", hostWalk);
    Report("  the same, names in other case",
           bench::NanosecondsPerUnit(kRounds, [&] { return Repeat([&] { return !platform::HostPath(otherCase).empty(); }); }),
           "fstatat of the host path", hostWalk);
    Report("CreateFileW + CloseHandle",
           bench::NanosecondsPerUnit(kRounds, [&] {
               return Repeat([&] {
                   const HANDLE handle = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
                   return handle != INVALID_HANDLE_VALUE && CloseHandle(handle);
               });
           }),
           "open + close",
           bench::NanosecondsPerUnit(kRounds, [&] {
               return Repeat([&] {
                   const int fd = open(hostFile.c_str(), O_RDONLY | O_CLOEXEC);
                   return fd >= 0 && close(fd) == 0;
               });
           }));
    Report("GetFileAttributesW",
           bench::NanosecondsPerUnit(kRounds, [&] {
               return Repeat([&] { return GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES; });
           }),
           "fstatat",
           bench::NanosecondsPerUnit(kRounds, [&] {
               return Repeat([&] {
                   struct stat st {};
                   return fstatat(AT_FDCWD, hostFile.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
               });
           }));
    const std::wstring everything = folder + L"\\*";
    const auto listings = [](const std::function<long()>& list) {
        return bench::NanosecondsPerUnit(kRounds, [&] {
            long entries = 0;
            for (int i = 0; i < kListingsPerRound; ++i) {
                const long listed = list();
                if (listed < 0)
                    return -1L;
                entries += listed;
            }
            return entries;
        });
    };
    const double layer = listings([&] { return ListInLayer(everything); });
    Report("FindFirstFileW/FindNextFileW", layer, "readdir + fstatat", listings([&] {
               return ListOnHost(hostFolder, false);
           }));
    Report("  (per entry)", layer, "readdir + fstatat + getxattr", listings([&] {
               return ListOnHost(hostFolder, true);
           }));
}

// What one system call costs on this host, whatever it does: each layer call makes one more than
// its host counterpart to learn of changes made by other processes (a read of the change queue),
// and an open that touches data two more for its share (a lock and a look at the others' locks).
void MeasureSystemCall()
{
    std::printf("  one system call (getppid)       %8.0f ns\n", bench::NanosecondsPerUnit(kRounds, [] {
                    return Repeat([] { return syscall(SYS_getppid) > 0; });
                }));
}

void MeasureRegistry(const std::string& scratch)
{
    HKEY key = nullptr;
    const wchar_t data[] = L"C:\\";
    if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Orvane\\LayerBench", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr) != ERROR_SUCCESS ||
        RegSetValueExW(key, L"InstallPath", 0, REG_SZ, reinterpret_cast<const BYTE*>(data), sizeof(data)) !=
            ERROR_SUCCESS) {
        std::printf("  RegQueryValueExW               failed (no registry)\n");
        return;
    }
    CPreparedSelect select(scratch + "/select.db");
    std::vector<unsigned char> bytes;
    Report("RegQueryValueExW (open key)",
           bench::NanosecondsPerUnit(kRounds, [&] {
               return Repeat([&] {
                   wchar_t value[64];
                   DWORD size = sizeof(value);
                   DWORD type = 0;
                   return RegQueryValueExW(key, L"InstallPath", nullptr, &type, reinterpret_cast<BYTE*>(value),
                                           &size) == ERROR_SUCCESS;
               });
           }),
           "prepared SQLite select", bench::NanosecondsPerUnit(kRounds, [&] { return Repeat([&] { return select.Read(bytes); }); }));
    RegCloseKey(key);
}

} // namespace

int main(int argc, char** argv)
{
    std::string pattern = std::string(argc > 1 ? argv[1] : "/tmp") + "/quarnel-layer-bench-XXXXXX";
    if (!mkdtemp(pattern.data()))
        return 1;
    const std::string root = pattern;
    setenv("QUARNEL_MACHINE", root.c_str(), 1);
    platform::ReloadMachine();

    const std::wstring folder = L"C:\\Users\\Owner\\AppData\\Local\\Temp\\bench";
    const std::string hostFolder = platform::Machine().Drive(L'C')->folder + "/Users/Owner/AppData/Local/Temp/bench";
    fs::create_directories(hostFolder);
    for (int i = 0; i < kFilesInFolder; ++i) {
        char name[32];
        std::snprintf(name, sizeof(name), "file%04d.tmp", i);
        std::ofstream(hostFolder + "/" + name) << "junk";
        if (i % kHiddenEvery == 0)
            SetFileAttributesW((folder + L"\\" + platform::FromUtf8(name)).c_str(), FILE_ATTRIBUTE_HIDDEN);
    }

    std::printf("Layer calls against the host's on the same tree (per call; listing per entry; %d files in the "
                "folder, every %dth hidden); host load %.1f on %u cores\n",
                kFilesInFolder, kHiddenEvery, HostLoad(), std::thread::hardware_concurrency());
    MeasureSystemCall();
    MeasureFiles(folder, hostFolder);
    MeasureRegistry(root);
    fs::remove_all(root);
    return 0;
}
