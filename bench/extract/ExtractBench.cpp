// Times the Update library's ZIP extractor against unzip and bsdtar on the same archives and
// prints each tool's median time of five runs and its ratio to ours. The goal: ours is at least as fast as
// the faster of the other two.
#include "BenchArchives.h"

#include "platform/Machine.h"
#include "update/UnzipFile.h"

#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace fs = std::filesystem;

extern char** environ;

namespace {

constexpr int kRuns = 5;

// False when the program could not be started or did not succeed.
bool RunProgram(const std::vector<std::string>& arguments)
{
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t child = 0;
    if (posix_spawnp(&child, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return false;
    int status = 0;
    return waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool ExtractOurs(const std::string& zip, const std::string& dest)
{
    CUnzipFile unzip;
    // The extractor takes Windows paths: the archives and the output lie on the machine's drive C:.
    return unzip.Open(platform::WindowsPath(zip).c_str()) == RESULT_OK &&
           unzip.ExtractAll(platform::WindowsPath(dest).c_str()) == RESULT_OK;
}

struct Tool {
    const char* name;
    std::function<bool(const std::string& zip, const std::string& dest)> extract;
};

// One timed extraction into a fresh folder; a negative value when the tool failed.
double Seconds(const Tool& tool, const std::string& zip, const std::string& dest)
{
    fs::remove_all(dest);
    fs::create_directories(dest);
    const auto start = std::chrono::steady_clock::now();
    if (!tool.extract(zip, dest))
        return -1;
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    return took.count();
}

// The tools take turns, so that a file system that slows down as it goes treats them alike; the
// first round is not counted.
void Compare(const char* title, const std::string& zip, const std::string& dest, const std::vector<Tool>& tools)
{
    printf("%s (%.1f MiB archive)\n", title, static_cast<double>(fs::file_size(zip)) / (1 << 20));
    std::vector<std::vector<double>> runs(tools.size());
    for (int round = 0; round <= kRuns; ++round)
        for (size_t i = 0; i < tools.size(); ++i) {
            const double seconds = Seconds(tools[i], zip, dest);
            if (round > 0)
                runs[i].push_back(seconds);
        }
    std::vector<double> times;
    for (std::vector<double>& seconds : runs) {
        std::sort(seconds.begin(), seconds.end());
        times.push_back(seconds.front() < 0 ? -1 : seconds[seconds.size() / 2]);
    }
    const double ours = times[0];
    double fastestOther = 0;
    for (size_t i = 0; i < tools.size(); ++i) {
        if (times[i] < 0) {
            printf("  %-8s failed or not installed\n", tools[i].name);
            continue;
        }
        printf("  %-8s %8.3f s   %5.2fx our time\n", tools[i].name, times[i], times[i] / ours);
        if (i > 0 && (fastestOther == 0 || times[i] < fastestOther))
            fastestOther = times[i];
    }
    if (fastestOther > 0)
        printf("  ours / fastest other: %.2f (goal: at most 1.00)\n", ours / fastestOther);
}

} // namespace

// The optional argument names the folder to work in (default /tmp): on a RAM file system the
// tools' own work shows, on a disk the file system's share as well.
int main(int argc, char** argv)
{
    std::string pattern = std::string(argc > 1 ? argv[1] : "/tmp") + "/quarnel-bench-XXXXXX";
    if (!mkdtemp(pattern.data()))
        return 1;
    const std::string root = pattern;
    setenv("QUARNEL_MACHINE", (root + "/machine").c_str(), 1);
    platform::ReloadMachine();

    const std::vector<Tool> tools = {
        {"ours", ExtractOurs},
        {"unzip", [](const std::string& zip, const std::string& dest) { return RunProgram({"unzip", "-q", "-o", zip, "-d", dest}); }},
        {"bsdtar", [](const std::string& zip, const std::string& dest) { return RunProgram({"bsdtar", "-xf", zip, "-C", dest}); }},
    };
    const std::string drive = platform::Machine().Drive(L'C')->folder;
    const std::string small = drive + "/small.zip";
    const std::string large = drive + "/large.zip";
    const std::string tiny = drive + "/tiny.zip";
    WriteManySmallFiles(small);
    WriteManyTinyFiles(tiny);
    WriteFewLargeFiles(large);
    Compare("Many small files (5000 text files in 50 folders)", small, drive + "/out", tools);
    Compare("Very many tiny files (100,000 files in 500 folders, ZIP64)", tiny, drive + "/out", tools);
    Compare("Few large files (4 x 64 MiB)", large, drive + "/out", tools);
    fs::remove_all(root);
    return 0;
}
