// The large-file gatherer's scan with the search for equal files, against jdupes, rdfind and
// fdupes on the same synthetic trees and the same files; its scan alone against find listing the
// same tree (goal: at most 1.5 times find's time); and the CRC-64 against memcpy.
//
//   BulkseekBench [work folder [shape ...]]
//
// The work folder is the host's temporary folder by default; with shapes named (a word of a
// shape's name each, such as "small" or "sparse"), only those trees are measured.
//
// Each tree is made and written to the disk, the programs take turns on it three times (each one's
// best time counts, with the tree in the page cache), and the tree is removed again.
#include "DuplicateTools.h"
#include "SyntheticTree.h"

#include "jex_main/large_file_gatherer/Crc64.h"
#include "jex_main/large_file_gatherer/IBulkseek.h"
#include "platform/Machine.h"
#include "platform/Windows.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <unistd.h>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kRounds = 3;
constexpr uint64_t kMinimumSize = 1;

class CCountingSink : public IBulkseekSink {
public:
    bool OnCatagory(IBigFileCatagory*) override { return true; }
    bool OnGarbage(IBigFileGarbageInfo*) override { return true; }
    bool OnProgress(int, int) override { return true; }
    bool OnScanFile(IBigFileGarbageInfo*, std::wstring, int, double) override { return true; }
    bool OnSameFile(IBigFileGarbageInfo*, IBigFileGarbageInfo*) override
    {
        ++same;
        return true;
    }
    bool OnUnusedEvent(int, int, int) override { return false; }
    bool OnEmptyGarbage(IBigFileGarbageInfo*, bool, int, std::wstring) override { return true; }

    long long same = 0;
};

// The host's load over the last minute, as the kernel reports it: other work on the machine slows
// the programs that use several cores the most.
double HostLoad()
{
    double load = 0;
    std::ifstream("/proc/loadavg") >> load;
    return load;
}

double Seconds(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The gatherer as its host loads it, on a machine whose drive D: is the tree.
class CGatherer {
public:
    explicit CGatherer(const std::string& machineRoot) : machineRoot_(machineRoot)
    {
        platform::SetProgramFolder(BULKSEEK_PROGRAM_FOLDER);
        HMODULE module = LoadLibraryW(L"Bulkseek.dll");
        const auto getImp =
            module ? reinterpret_cast<IBulkseek* (*)()>(reinterpret_cast<void (*)()>(GetProcAddress(module, "GetImp")))
                   : nullptr;
        gatherer_ = getImp ? getImp() : nullptr;
        if (!gatherer_)
            throw std::runtime_error("Bulkseek.so cannot be loaded from " BULKSEEK_PROGRAM_FOLDER);
    }
    ~CGatherer() { gatherer_->Release(); }

    // The scan of the tree; with findSameFiles, the search for equal files as well. The run's count
    // is the equal files found.
    ToolRun Scan(const std::string& tree, bool findSameFiles)
    {
        std::ofstream(machineRoot_ + "/machine.ini") << "[Drive D]\nFolder=" << tree << "\nLabel=Bench\n";
        platform::ReloadMachine();
        HRESULT shell = E_FAIL;
        if (gatherer_->Init(&shell) != RESULT_OK)
            throw std::runtime_error("the gatherer cannot be initialised");
        CatagoryD()->ChangeCheckState();
        IBulkseekOption* option = gatherer_->CreateOption();
        option->GetOption()->findSameFiles = findSameFiles ? 1 : 0;
        option->GetOption()->minimumSize = kMinimumSize;
        CCountingSink sink;
        const auto start = std::chrono::steady_clock::now();
        const OpResult result = gatherer_->CollecttGarbage(&sink, option);
        ToolRun run{Seconds(start), result == RESULT_OK ? sink.same : -1};
        option->Release();
        gatherer_->ClearGarbage();
        return run;
    }

private:
    IBigFileCatagory* CatagoryD()
    {
        struct CFirst : CCountingSink {
            IBigFileCatagory* catagory = nullptr;
            bool OnCatagory(IBigFileCatagory* found) override
            {
                catagory = found;
                return found->GetInfo()->displayName.find(L"(D:)") == std::wstring::npos;
            }
        } sink;
        gatherer_->GetCatagories(&sink);
        return sink.catagory;
    }

    std::string machineRoot_;
    IBulkseek* gatherer_ = nullptr;
};

// Keeps the faster of two runs.
void KeepBest(ToolRun& best, const ToolRun& run, int round)
{
    if (round == 0 || run.seconds < best.seconds)
        best = run;
}

void MeasureCrc()
{
    std::vector<unsigned char> buffer(256 << 20);
    std::mt19937_64 random(5);
    for (size_t i = 0; i < buffer.size(); i += 8) {
        const uint64_t value = random();
        std::memcpy(&buffer[i], &value, 8);
    }
    std::vector<unsigned char> copy(buffer.size());
    const auto rate = [&](auto pass) {
        pass();
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < 4; ++i)
            pass();
        return 4.0 * static_cast<double>(buffer.size()) / Seconds(start) / 1e9;
    };
    uint64_t crc = 0;
    const double crcRate = rate([&] { crc = Crc64Update(crc, buffer.data(), buffer.size()); });
    const double bytewiseRate = rate([&] { crc = Crc64UpdateBytewise(crc, buffer.data(), buffer.size() / 8); }) / 8;
    const double copyRate = rate([&] { std::memcpy(copy.data(), buffer.data(), buffer.size()); });
    std::printf("\nCRC-64 on one core over a 256 MiB buffer (value %016llx, copy byte %u):\n",
                static_cast<unsigned long long>(crc), copy[12345]);
    std::printf("  CRC-64            %6.2f GB/s\n  byte at a time    %6.2f GB/s\n  memcpy            %6.2f GB/s\n",
                crcRate, bytewiseRate, copyRate);
    std::printf("  CRC-64 / memcpy   %6.2f\n", crcRate / copyRate);
}

} // namespace

int main(int argc, char** argv)
{
    const fs::path work = fs::path(argc > 1 ? argv[1] : fs::temp_directory_path().string()) / "bulkseek-bench";
    fs::remove_all(work);
    const std::string machineRoot = (work / "machine").string();
    const std::string scratch = (work / "scratch").string();
    fs::create_directories(machineRoot);
    fs::create_directories(scratch);
    setenv("QUARNEL_MACHINE", machineRoot.c_str(), 1);
    platform::ReloadMachine();

    CGatherer gatherer(machineRoot);
    const std::vector<DuplicateTool> tools = DuplicateTools();
    const DuplicateTool lister = FileLister();
    std::printf("Scan with the search for equal files, files from %llu byte up; best of %d runs, tree in the page cache.\n",
                static_cast<unsigned long long>(kMinimumSize), kRounds);
    std::printf("Time ratio: the tool's time / the gatherer's (above 1: the gatherer is faster).\n");
    const auto chosen = [argc, argv](const TreeShape& shape) {
        for (int i = 2; i < argc; ++i)
            if (shape.name.find(argv[i]) != std::string::npos)
                return true;
        return argc <= 2;
    };
    for (const TreeShape& shape : TreeShapes()) {
        if (!chosen(shape))
            continue;
        // Inside the machine root: a drive's folder outside it is refused.
        const std::string tree = machineRoot + "/tree";
        fs::remove_all(tree);
        fs::create_directories(tree);
        const auto madeAt = std::chrono::steady_clock::now();
        shape.make(tree);
        const TreeSize size = MeasureTree(tree);
        std::printf("\n%s: %s\n  %llu files, %.1f MiB apparent, made in %.1f s; host load %.1f on %u cores\n",
                    shape.name.c_str(), shape.description.c_str(), static_cast<unsigned long long>(size.files),
                    static_cast<double>(size.apparentBytes) / 1048576.0, Seconds(madeAt), HostLoad(),
                    std::thread::hardware_concurrency());
        // The tree's data goes to the disk first, and the programs take turns, so that none meets
        // the writing-back of the tree or a colder cache than the others.
        ::sync();
        ToolRun ours;
        ToolRun scanOnly;
        ToolRun find;
        std::vector<ToolRun> theirs(tools.size());
        for (int round = 0; round < kRounds; ++round) {
            KeepBest(ours, gatherer.Scan(tree, true), round);
            KeepBest(scanOnly, gatherer.Scan(tree, false), round);
            KeepBest(find, RunTool(lister, tree, kMinimumSize, scratch), round);
            for (size_t i = 0; i < tools.size(); ++i)
                KeepBest(theirs[i], RunTool(tools[i], tree, kMinimumSize, scratch), round);
        }
        std::printf("  scan alone %6.3f s, find %6.3f s (%lld files listed): %5.2f times find's time (goal: at most 1.50)\n",
                    scanOnly.seconds, find.seconds, find.duplicates, scanOnly.seconds / find.seconds);
        std::printf("  %-9s %8.3f s  %6lld equal files\n", "Bulkseek", ours.seconds, ours.duplicates);
        for (size_t i = 0; i < tools.size(); ++i) {
            if (theirs[i].duplicates < 0)
                std::printf("  %-9s not run\n", tools[i].name.c_str());
            else
                std::printf("  %-9s %8.3f s  %6lld equal files  ratio %5.2f\n", tools[i].name.c_str(),
                            theirs[i].seconds, theirs[i].duplicates, theirs[i].seconds / ours.seconds);
        }
        std::fflush(stdout);
        fs::remove_all(tree);
    }
    MeasureCrc();
    fs::remove_all(work);
    return 0;
}
