// The cost of giving a large shortcut a new icon: a link of just under 1 MiB made of small extra
// data blocks, half of them the icon's environment blocks that a new icon drops, loaded, given the
// icon and saved through the shell's link object. Each figure is the median of several rounds in
// the thread's own processor time. The goal: a new icon costs no more than reading the link, so
// the work grows with the link's size and not with its size times its number of blocks.
//
//   ShellLinkBench [work folder]      (default: /tmp)
#include "platform/Machine.h"
#include "platform/Windows.h"
#include "support/ThreadTiming.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kRounds = 7;
constexpr size_t kLinkBytes = (1u << 20) - 64;
constexpr size_t kBlockBytes = 8;

std::string Le(uint32_t value, size_t width)
{
    std::string bytes;
    for (size_t i = 0; i < width; ++i, value >>= 8)
        bytes += static_cast<char>(value & 0xFF);
    return bytes;
}

// A Unicode link with an icon given through environment variables and blocks up to the size.
std::string LargeLink()
{
    const uint32_t flags = 0x40 | 0x80 | 0x4000; // icon location, Unicode, icon in the environment block
    std::string bytes = Le(0x4C, 4) + std::string("\x01\x14\x02\x00\x00\x00\x00\x00\xC0\x00\x00\x00\x00\x00\x00\x46", 16) +
                        Le(flags, 4) + std::string(0x4C - 24, '\0');
    bytes += Le(3, 2) + std::string("%\0X\0%\0", 6);
    for (uint32_t i = 0; bytes.size() + kBlockBytes + 4 <= kLinkBytes; ++i)
        bytes += Le(kBlockBytes, 4) + Le(i % 2 ? 0xA0000007 : 0xA0000010, 4);
    return bytes + Le(0, 4);
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    const fs::path work = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path();
    std::string pattern = (work / "quarnel-linkbench-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        return 1;
    setenv("QUARNEL_MACHINE", pattern.c_str(), 1);
    platform::ReloadMachine();
    fs::create_directories(fs::path(pattern) / "drive_c");
    const std::string link = LargeLink();
    CoInitialize(nullptr);

    std::vector<double> loads, icons, saves;
    bool ok = true;
    for (int round = 0; round < kRounds && ok; ++round) {
        std::ofstream(fs::path(pattern) / "drive_c" / "large.lnk", std::ios::binary | std::ios::trunc) << link;
        IShellLinkW* shellLink = nullptr;
        IPersistFile* file = nullptr;
        ok = SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                        reinterpret_cast<void**>(&shellLink))) &&
             SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)));
        if (!ok)
            break;
        double start = bench::ThreadNanoseconds();
        ok = SUCCEEDED(file->Load(L"C:\\large.lnk", STGM_READWRITE));
        loads.push_back(bench::ThreadNanoseconds() - start);
        start = bench::ThreadNanoseconds();
        ok = ok && SUCCEEDED(shellLink->SetIconLocation(L"C:\\new.ico", 1));
        icons.push_back(bench::ThreadNanoseconds() - start);
        start = bench::ThreadNanoseconds();
        ok = ok && SUCCEEDED(file->Save(nullptr, TRUE));
        saves.push_back(bench::ThreadNanoseconds() - start);
        file->Release();
        shellLink->Release();
    }
    CoUninitialize();
    std::error_code ignored;
    fs::remove_all(pattern, ignored);
    if (!ok) {
        std::printf("the large link could not be loaded, given an icon or saved\n");
        return 1;
    }
    std::printf("A link of %zu bytes in %zu blocks of %zu bytes, median of %d rounds:\n", link.size(),
                (link.size() - 0x4C - 8 - 4) / kBlockBytes, kBlockBytes, kRounds);
    std::printf("  load              %8.2f ms\n", Median(loads) / 1e6);
    std::printf("  new icon          %8.2f ms%s\n", Median(icons) / 1e6,
                Median(icons) > Median(loads) ? "  (above the goal: more than a load)" : "");
    std::printf("  save              %8.2f ms\n", Median(saves) / 1e6);
    return 0;
}
