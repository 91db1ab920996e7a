#include "DemoJunk.h"

#include "platform/Machine.h"
#include "platform/Text.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

constexpr unsigned long long KB = 1024;
constexpr unsigned long long MB = 1024 * KB;

// A junk file of that size, written so many days ago; it takes no room on the host.
bool Junk(const std::wstring& windowsPath, unsigned long long size, int daysOld = 9)
{
    const std::string host = platform::HostPath(windowsPath);
    std::error_code error;
    fs::create_directories(fs::path(host).parent_path(), error);
    std::ofstream(host, std::ios::binary | std::ios::trunc).close();
    fs::resize_file(host, size, error);
    if (!error)
        fs::last_write_time(host, fs::file_time_type::clock::now() - std::chrono::hours(24 * daysOld), error);
    if (error)
        std::fprintf(stderr, "MakeDemoMachine: cannot make %s\n", platform::ToUtf8(windowsPath).c_str());
    return !error;
}

bool MakeProfileJunk(const std::wstring& profile)
{
    const std::wstring local = profile + L"\\AppData\\Local\\";
    const std::wstring chrome = local + L"Google\\Chrome\\User Data\\";
    bool ok = Junk(local + L"Temp\\~WRS0001.tmp", 512 * KB) && Junk(local + L"Temp\\msohtmlclip\\clip_image001.png", 96 * KB) &&
              Junk(local + L"Temp\\today.tmp", 64 * KB, 0) && Junk(local + L"CrashDumps\\explorer.exe.4120.dmp", 38 * MB) &&
              Junk(local + L"Microsoft\\Windows\\WER\\ReportArchive\\AppCrash_notepad\\Report.wer", 24 * KB) &&
              Junk(local + L"IconCache.db", 3 * MB) && Junk(chrome + L"Default\\Cache\\Cache_Data\\data_1", 18 * MB) &&
              Junk(chrome + L"Default\\Cache\\Cache_Data\\f_000a31", 2 * MB) && Junk(chrome + L"Default\\Code Cache\\js\\index", 6 * MB) &&
              Junk(chrome + L"Default\\GPUCache\\data_0", 4 * MB);
    return ok;
}

} // namespace

bool MakeDemoJunk()
{
    const std::wstring owner = L"C:\\Users\\Owner";
    const std::wstring local = owner + L"\\AppData\\Local\\";
    const std::wstring firefox = local + L"Mozilla\\Firefox\\Profiles\\k3v9wq1e.default-release\\";
    const std::wstring packages = local + L"Packages\\Microsoft.WindowsStore_8wekyb3d8bbwe\\";
    return MakeProfileJunk(owner) && MakeProfileJunk(L"C:\\Users\\Mia") &&
           Junk(local + L"Google\\Chrome\\User Data\\Profile 1\\Cache\\Cache_Data\\data_2", 9 * MB) &&
           Junk(local + L"Microsoft\\Edge\\User Data\\Default\\Cache\\Cache_Data\\data_1", 27 * MB) &&
           Junk(local + L"Microsoft\\Edge\\User Data\\Default\\Code Cache\\wasm\\index", 5 * MB) &&
           Junk(firefox + L"cache2\\entries\\0A1F3C5E7B9D", 14 * MB) && Junk(firefox + L"startupCache\\scriptCache.bin", 7 * MB) &&
           Junk(firefox + L"shader-cache\\index", 1 * MB) && Junk(packages + L"LocalCache\\catalog.bin", 11 * MB) &&
           Junk(packages + L"AC\\INetCache\\Q1W2E3R4\\tile[1].png", 256 * KB) &&
           Junk(local + L"Microsoft\\Media Player\\Art Cache\\LocalMLS\\art_001.jpg", 640 * KB) &&
           Junk(L"C:\\Windows\\ServiceProfiles\\NetworkService\\AppData\\Local\\Microsoft\\Windows\\DeliveryOptimization\\Cache\\"
                L"4f1d\\content.dat",
                210 * MB) &&
           Junk(owner + L"\\AppData\\LocalLow\\Sun\\Java\\Deployment\\cache\\6.0\\12\\4c1e2a0b-5f3d7a91", 3 * MB) &&
           Junk(local + L"npm-cache\\_cacache\\content-v2\\sha512\\3a\\9f\\b1c2", 22 * MB) &&
           Junk(local + L"pip\\Cache\\http\\a\\b\\c\\d\\e\\9e1f", 17 * MB) &&
           Junk(local + L"NuGet\\v3-cache\\670c1461\\nuget.org_v3_index.json.dat", 420 * KB) &&
           Junk(L"C:\\Windows\\Temp\\DMI3A2F.tmp", 1 * MB) && Junk(L"C:\\Windows\\Prefetch\\CHROME.EXE-5A1B2C3D.pf", 48 * KB) &&
           Junk(L"C:\\Windows\\Prefetch\\NOTEPAD.EXE-D8414F97.pf", 12 * KB) && Junk(L"C:\\Windows\\Minidump\\120926-9812-01.dmp", 768 * KB) &&
           Junk(L"C:\\Windows\\Panther\\setupact.log", 2 * MB) &&
           Junk(L"C:\\ProgramData\\Microsoft\\Windows\\WER\\ReportQueue\\Kernel_141_9f\\WATCHDOG.dmp", 64 * MB);
}
