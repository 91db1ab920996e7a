// Fuzz target of the ZIP extractor: any bytes, opened from memory, described and extracted. An
// entry that lands outside the output folder, or anything the sanitizers see, is a finding.
#include "FuzzMachine.h"

#include "update/UnzipFile.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>

namespace fs = std::filesystem;

namespace {

constexpr int kMostEntriesDescribed = 64;

fs::path g_root;

std::set<std::string> TopLevel(const fs::path& folder)
{
    std::set<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error))
        names.insert(entry.path().filename().string());
    return names;
}

void Exercise(const uint8_t* data, size_t size)
{
    const std::wstring out = (g_root / "outer" / "inner" / "out").wstring();
    CUnzipFile unzip;
    if (unzip.OpenMemory(data, static_cast<DWORD>(size)) != RESULT_OK)
        return;
    IFileEntry* entry = nullptr;
    int count = 0;
    if (unzip.GetEntry(-1, &entry) == RESULT_OK) {
        count = entry->GetIndex();
        entry->Release();
    }
    for (int index = 0; index < count && index < kMostEntriesDescribed; ++index) {
        if (unzip.GetEntry(index, &entry) == RESULT_OK) {
            (void)entry->IsDirectory();
            (void)std::wstring(entry->GetName());
            entry->Release();
        }
    }
    unzip.ExtractEntry(0, (out + L"/single").c_str());
    unzip.ExtractAll(out.c_str());
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    g_root = MakeFuzzMachine();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Exercise(data, size);
    // Two folders stand between the output folder and the machine root; a name that climbs out
    // lands in one of them.
    const std::set<std::string> outer = TopLevel(g_root / "outer");
    const std::set<std::string> inner = TopLevel(g_root / "outer" / "inner");
    if ((!outer.empty() && outer != std::set<std::string>{"inner"}) ||
        (!inner.empty() && inner != std::set<std::string>{"out"})) {
        fprintf(stderr, "an entry was written outside the output folder\n");
        abort();
    }
    std::error_code error;
    fs::remove_all(g_root / "outer", error);
    return 0;
}
