// The cost per call of the layer's path resolution and file calls, each beside the plain host
// calls that do the same work: resolving a path, opening and closing a file, reading a file's
// attributes, and listing a folder (per entry). Each figure is the median of several rounds, in
// the thread's own processor time (user and kernel), so that other work on the host weighs less.
#include "platform/Machine.h"
#include "platform/Windows.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kRounds = 7;
constexpr int kCallsPerRound = 20000;
constexpr int kFilesInFolder = 1000;
constexpr int kListingsPerRound = 20;

double ThreadNanoseconds()
{
    timespec now {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e9 + static_cast<double>(now.tv_nsec);
}

// Nanoseconds per unit of work of the median round; work returns the units it did.
double NanosecondsPerUnit(const std::function<long()>& work)
{
    std::vector<double> rounds;
    for (int round = 0; round <= kRounds; ++round) {
        const double start = ThreadNanoseconds();
        const long units = work();
        const double took = ThreadNanoseconds() - start;
        if (round > 0 && units > 0)
            rounds.push_back(took / static_cast<double>(units));
    }
    if (rounds.empty())
        return -1;
    std::sort(rounds.begin(), rounds.end());
    return rounds[rounds.size() / 2];
}

long Repeat(const std::function<bool()>& call)
{
    long done = 0;
    for (int i = 0; i < kCallsPerRound; ++i)
        done += call() ? 1 : 0;
    return done == kCallsPerRound ? done : -1;
}

void Report(const char* title, double layer, double host)
{
    if (layer < 0 || host < 0) {
        std::printf("  %-34s failed\n", title);
        return;
    }
    std::printf("  %-34s %9.0f ns   host %8.0f ns   %5.2fx\n", title, layer, host, layer / host);
}

} // namespace

// The optional argument names the folder to work in (default /tmp).
int main(int argc, char** argv)
{
    std::string pattern = std::string(argc > 1 ? argv[1] : "/tmp") + "/quarnel-layer-bench-XXXXXX";
    if (!mkdtemp(pattern.data()))
        return 1;
    const std::string root = pattern;
    setenv("QUARNEL_MACHINE", root.c_str(), 1);
    platform::ReloadMachine();

    const std::wstring folder = L"C:\\Users\\Owner\\AppData\\Local\\Temp\\bench";
    const std::wstring file = folder + L"\\file0500.tmp";
    const std::string hostFolder = platform::Machine().Drive(L'C')->folder + "/Users/Owner/AppData/Local/Temp/bench";
    const std::string hostFile = hostFolder + "/file0500.tmp";
    fs::create_directories(hostFolder);
    for (int i = 0; i < kFilesInFolder; ++i) {
        char name[32];
        std::snprintf(name, sizeof(name), "/file%04d.tmp", i);
        std::ofstream(hostFolder + name) << "junk";
    }

    std::printf("Layer calls against the host's (per call; listing per entry; %d files in the folder)\n",
                kFilesInFolder);
    Report("path resolution (HostPath)",
           NanosecondsPerUnit([&] { return Repeat([&] { return !platform::HostPath(file).empty(); }); }),
           NanosecondsPerUnit([&] {
               return Repeat([&] {
                   char resolved[PATH_MAX];
                   return realpath(hostFile.c_str(), resolved) != nullptr;
               });
           }));
    Report("CreateFileW + CloseHandle",
           NanosecondsPerUnit([&] {
               return Repeat([&] {
                   const HANDLE handle = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
                   return handle != INVALID_HANDLE_VALUE && CloseHandle(handle);
               });
           }),
           NanosecondsPerUnit([&] {
               return Repeat([&] {
                   const int fd = open(hostFile.c_str(), O_RDONLY | O_CLOEXEC);
                   return fd >= 0 && close(fd) == 0;
               });
           }));
    Report("GetFileAttributesW",
           NanosecondsPerUnit([&] {
               return Repeat([&] { return GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES; });
           }),
           NanosecondsPerUnit([&] {
               return Repeat([&] {
                   struct stat st {};
                   return lstat(hostFile.c_str(), &st) == 0;
               });
           }));
    const std::wstring everything = folder + L"\\*";
    Report("FindFirstFileW/FindNextFileW",
           NanosecondsPerUnit([&] {
               long entries = 0;
               for (int i = 0; i < kListingsPerRound; ++i) {
                   WIN32_FIND_DATAW data;
                   const HANDLE find = FindFirstFileW(everything.c_str(), &data);
                   if (find == INVALID_HANDLE_VALUE)
                       return -1L;
                   do
                       ++entries;
                   while (FindNextFileW(find, &data));
                   FindClose(find);
               }
               return entries;
           }),
           NanosecondsPerUnit([&] {
               long entries = 0;
               for (int i = 0; i < kListingsPerRound; ++i) {
                   DIR* dir = opendir(hostFolder.c_str());
                   if (!dir)
                       return -1L;
                   while (const dirent* entry = readdir(dir)) {
                       struct stat st {};
                       if (fstatat(dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0)
                           ++entries;
                   }
                   closedir(dir);
               }
               return entries;
           }));
    fs::remove_all(root);
    return 0;
}
