// The junk gatherer's analysis and clean-up on a machine with 200,000 junk files in the shipped
// rules' folders, against find listing the same folders with sizes and rm -rf removing a copy.
//
//   JunkBench [work folder] [analysis]   (default: the host's temporary folder; "analysis" leaves
//                                         the clean-up out)
//
// The analysis and find take turns three times on the tree in the page cache (each one's best
// counts); the clean-up and rm -rf each remove a fresh tree of their own, written out to its disk,
// twice. Where strace is installed, one more clean-up runs with strace counting its system calls,
// which are printed per removed file with what in the layer makes them.
#include "jex_main/Sweepdeck/IDregsweep.h"
#include "platform/Machine.h"
#include "platform/Windows.h"

#include <algorithm>
#include <chrono>
#include <cctype>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <spawn.h>
#include <string>
#include <linux/magic.h>
#include <sys/resource.h>
#include <sys/statfs.h>
#include <thread>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;

namespace {

constexpr int kAnalysisRounds = 3;
constexpr int kCleanRounds = 2;
constexpr size_t kFilesPerFolder = 200;

struct Place {
    const char* folder;  // below drive C:, a folder one of the shipped rules walks
    const char* below;   // the junk's own folders below it
    size_t files;
    bool old;            // the rule leaves files younger than a day
};

const Place kPlaces[] = {
    {"Users/Owner/AppData/Local/Temp", "bench", 80000, true},
    {"Users/Owner/AppData/Local/Google/Chrome/User Data/Default/Cache", "Cache_Data", 50000, false},
    {"Users/Owner/AppData/Local/Google/Chrome/User Data/Default/Code Cache", "js", 20000, false},
    {"Windows/SoftwareDistribution/Download", "b81e", 30000, false},
    {"$Recycle.Bin/S-1-5-21-3623811015-1001", "$RBENCH", 20000, false},
};

class CQuietSink : public IDregsweepSink {
public:
    bool OnScanProgress(int, int) override { return true; }
    bool OnGarbageFound(std::wstring, uint64_t, IDregsweepCatagory*) override { return true; }
    bool OnCloseProcess(std::wstring, const DWORD*, int) override { return false; }
    bool OnGarbageCleaned(std::wstring, uint64_t, IDregsweepCatagory*) override { return true; }
};

// The processor time so far of this process (all its threads) or of its ended children.
double ProcessorSeconds(int who = RUSAGE_SELF)
{
    rusage usage{};
    getrusage(who, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// Writes the file system of the folder out to its disk. Removing files never written out is far
// cheaper on a disk file system than removing written ones (a tenth of the time on ext4), and the
// gatherer's tree is older than rm's copy: both go out before either is removed.
void WriteOut(const fs::path& folder)
{
    const int descriptor = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0)
        return;
    syncfs(descriptor);
    close(descriptor);
}

// Writes the junk below drive C: of a machine (or of a copy); the number of files.
size_t MakeTree(const std::string& driveC)
{
    const std::string content(300, 'j');
    const auto old = fs::file_time_type::clock::now() - std::chrono::hours(72);
    size_t made = 0;
    for (const Place& place : kPlaces) {
        for (size_t i = 0; i < place.files; ++i) {
            const std::string folder = driveC + "/" + place.folder + "/" + place.below + "/" +
                                       std::to_string(i / kFilesPerFolder);
            if (i % kFilesPerFolder == 0)
                fs::create_directories(folder);
            const std::string path = folder + "/f" + std::to_string(i) + ".tmp";
            std::ofstream(path, std::ios::binary).write(content.data(), static_cast<std::streamsize>(i % content.size()));
            if (place.old)
                fs::last_write_time(path, old);
            ++made;
        }
    }
    return made;
}

// Starts a host program with one of its streams thrown away; its process id, or 0 when it failed.
pid_t Spawn(const std::vector<std::string>& arguments, int quietStream)
{
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, quietStream, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return spawned == 0 ? pid : 0;
}

// Runs a host program with its output thrown away; its time in seconds, or -1 when it failed.
double RunTool(const std::vector<std::string>& arguments)
{
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = Spawn(arguments, STDOUT_FILENO);
    int status = 0;
    if (pid == 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return Seconds(start);
}

// Starts strace counting the system calls of every thread of this process into output, once it
// has attached; 0 when it cannot be had.
pid_t StartTracer(const std::string& output)
{
    const pid_t pid = Spawn({"strace", "-f", "-c", "-o", output, "-p", std::to_string(getpid())}, STDERR_FILENO);
    if (pid == 0)
        return 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    for (;;) {
        std::ifstream status("/proc/self/status");
        for (std::string line; std::getline(status, line);)
            if (line.rfind("TracerPid:", 0) == 0 && std::stol(line.substr(10)) == pid)
                return pid;
        int ended = 0;
        if (waitpid(pid, &ended, WNOHANG) == pid || std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &ended, 0);
            return 0;
        }
        std::this_thread::yield();
    }
}

// Ends the tracer and reads its counts: calls by system call.
std::map<std::string, uint64_t> StopTracer(pid_t pid, const std::string& output)
{
    kill(pid, SIGINT);
    int status = 0;
    waitpid(pid, &status, 0);
    std::map<std::string, uint64_t> calls;
    std::ifstream table(output);
    for (std::string line; std::getline(table, line);) {
        // "% time seconds usecs/call calls [errors] syscall", the errors column empty where none failed
        std::istringstream fields(line);
        std::vector<std::string> words;
        for (std::string word; fields >> word;)
            words.push_back(word);
        if (words.size() >= 5 && words.back() != "total" && words.back() != "syscall" &&
            std::isdigit(static_cast<unsigned char>(words[3][0])))
            calls[words.back()] = std::stoull(words[3]);
    }
    return calls;
}

// What in the layer makes each system call of a clean-up.
const char* CallerOf(const std::string& call)
{
    static const std::map<std::string, const char*> callers{
        {"openat", "NtOpenFile: the file opened in its held folder, link not followed (and CreateFileW per folder)"},
        {"newfstatat", "NtOpenFile: what was opened is no folder"},
        {"fcntl", "NtOpenFile: the share modes announced (one lock) and checked (one question) across processes"},
        {"statx", "GetFileInformationByHandle: the check by handle; the delete: its one look at the name, which "
                  "must still lead to the checked file unchanged"},
        {"fgetxattr", "GetFileInformationByHandle: the DOS attributes kept beside the file"},
        {"unlinkat", "the delete by handle: the name unlinked in the held folder"},
        {"close", "CloseHandle of each file (and held folder)"},
        {"futex", "lock waits between the removal threads"},
        {"clone3", "the removal threads started"},
    };
    const auto found = callers.find(call);
    return found == callers.end() ? "" : found->second;
}

void PrintCallsPerFile(const std::map<std::string, uint64_t>& calls, uint64_t removed)
{
    std::vector<std::pair<uint64_t, std::string>> byCount;
    uint64_t total = 0;
    for (const auto& [call, count] : calls) {
        byCount.emplace_back(count, call);
        total += count;
    }
    std::sort(byCount.rbegin(), byCount.rend());
    std::printf("System calls of a clean-up (strace -f -c): %.2f per removed file, %llu files\n",
                removed ? static_cast<double>(total) / removed : 0.0, static_cast<unsigned long long>(removed));
    for (const auto& [count, call] : byCount)
        std::printf("  %-12s %7.3f per file  %s\n", call.c_str(), removed ? static_cast<double>(count) / removed : 0.0,
                    CallerOf(call));
}

std::vector<std::string> FindCommand(const std::string& driveC)
{
    std::vector<std::string> command{"find"};
    for (const Place& place : kPlaces)
        command.push_back(driveC + "/" + place.folder);
    for (const char* argument : {"-type", "f", "-printf", "%s\\n"})
        command.push_back(argument);
    return command;
}

} // namespace

int main(int argc, char** argv)
{
    const fs::path work = fs::path(argc > 1 ? argv[1] : fs::temp_directory_path().string()) /
                          ("junkbench-" + std::to_string(getpid()));
    const std::string machineRoot = (work / "machine").string();
    const std::string driveC = machineRoot + "/drive_c";
    const std::string copyC = (work / "copy").string();
    fs::create_directories(machineRoot);
    std::ofstream(machineRoot + "/machine.ini") << "[Machine]\nUserName=Owner\n";
    setenv("QUARNEL_MACHINE", machineRoot.c_str(), 1);
    platform::ReloadMachine();
    platform::SetProgramFolder(JUNK_PROGRAM_FOLDER);

    HMODULE module = LoadLibraryW(L"Dregsweep.dll");
    auto getImp = module ? reinterpret_cast<IDregsweep* (*)()>(reinterpret_cast<void (*)()>(GetProcAddress(module, "GetImp")))
                         : nullptr;
    IDregsweep* gatherer = getImp ? getImp() : nullptr;
    WCHAR program[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    const std::wstring folder = std::wstring(program).substr(0, std::wstring(program).find_last_of(L'\\'));
    if (!gatherer || IsFailure(gatherer->Init((folder + L"\\Config.xml").c_str(), (folder + L"\\ResIDText.xml").c_str()))) {
        std::fprintf(stderr, "JunkBench: the gatherer cannot be loaded from %s\n", JUNK_PROGRAM_FOLDER);
        return 1;
    }
    CQuietSink sink;
    const unsigned cores = std::max(1u, static_cast<unsigned>(sysconf(_SC_NPROCESSORS_ONLN)));

    auto start = std::chrono::steady_clock::now();
    const size_t files = MakeTree(driveC);
    std::printf("Junk files: %zu in the shipped rules' folders, made in %.1f s; %u cores\n", files, Seconds(start), cores);

    double analysis = 1e9;
    double processor = 0;
    double find = 1e9;
    double findProcessor = 0;
    for (int round = 0; round < kAnalysisRounds; ++round) {
        const double processorBefore = ProcessorSeconds();
        start = std::chrono::steady_clock::now();
        gatherer->CollectGarbage(&sink);
        if (Seconds(start) < analysis)
            processor = ProcessorSeconds() - processorBefore;
        analysis = std::min(analysis, Seconds(start));
        const double childrenBefore = ProcessorSeconds(RUSAGE_CHILDREN);
        const double found = RunTool(FindCommand(driveC));
        if (found >= 0 && found < find)
            findProcessor = ProcessorSeconds(RUSAGE_CHILDREN) - childrenBefore;
        find = found < 0 ? find : std::min(find, found);
    }
    std::printf("Analysis (best of %d): %.3f s (%.3f s of processor time), %llu files, %.1f MiB found\n",
                kAnalysisRounds, analysis, processor, static_cast<unsigned long long>(gatherer->GetFileCount()),
                gatherer->GetTotalSize() / 1048576.0);
    std::printf("find -type f -printf '%%s\\n': %.3f s (%.3f s of processor time)   ratio analysis / find: %.2f "
                "(goal at most 1)\n",
                find, findProcessor, analysis / find);

    if (argc > 2 && std::string(argv[2]) == "analysis") {
        gatherer->Uninit();
        gatherer->Release();
        fs::remove_all(work);
        return 0;
    }

    double clean = 1e9;
    double cleanProcessor = 0;
    double remove = 1e9;
    double removeProcessor = 0;
    for (int round = 0; round < kCleanRounds; ++round) {
        if (round > 0) {
            MakeTree(driveC);
            gatherer->CollectGarbage(&sink);
        }
        MakeTree(copyC);
        WriteOut(work);
        const double processorBefore = ProcessorSeconds();
        start = std::chrono::steady_clock::now();
        gatherer->EmptyGarbage(&sink);
        if (Seconds(start) < clean)
            cleanProcessor = ProcessorSeconds() - processorBefore;
        clean = std::min(clean, Seconds(start));
        const double childrenBefore = ProcessorSeconds(RUSAGE_CHILDREN);
        const double removed = RunTool({"rm", "-rf", copyC});
        if (removed >= 0 && removed < remove)
            removeProcessor = ProcessorSeconds(RUSAGE_CHILDREN) - childrenBefore;
        remove = removed < 0 ? remove : std::min(remove, removed);
    }
    // The processor times tell more than the wall times on a machine that others load too.
    std::printf("Clean-up (best of %d): %.3f s (%.3f s of processor time), %llu files left\n", kCleanRounds, clean,
                cleanProcessor, static_cast<unsigned long long>(gatherer->GetFileCount()));
    struct statfs fileSystem {};
    const bool inMemory = statfs(work.c_str(), &fileSystem) == 0 && fileSystem.f_type == TMPFS_MAGIC;
    std::printf("rm -rf of a copy: %.3f s (%.3f s of processor time)   ratio clean-up / rm: %.2f (goal at most %s on "
                "%s)\n",
                remove, removeProcessor, clean / remove, inMemory ? "2" : "1.3", inMemory ? "tmpfs" : "a disk file system");

    MakeTree(driveC);
    gatherer->CollectGarbage(&sink);
    const uint64_t toRemove = gatherer->GetFileCount();
    const std::string counts = (work / "strace-counts").string();
    if (const pid_t tracer = StartTracer(counts)) {
        gatherer->EmptyGarbage(&sink);
        const uint64_t left = gatherer->GetFileCount();
        PrintCallsPerFile(StopTracer(tracer, counts), toRemove - left);
    } else {
        std::printf("System calls per removed file: strace cannot be started here\n");
    }

    gatherer->Uninit();
    gatherer->Release();
    fs::remove_all(work);
    return 0;
}
