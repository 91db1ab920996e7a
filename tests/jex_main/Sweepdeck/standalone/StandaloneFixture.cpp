#include "StandaloneFixture.h"

#include "standalone/Host.h"
#include "services/UIPublic.h"

#include "platform/win/Registry.h"


#include <chrono>
#include <filesystem>

namespace standalone_test {

using junk_test::UseBuildProgramFolder;

namespace {

constexpr unsigned long long kDataBytes = 100000000000ULL;
const char* const kJunk[] = {"Windows/Prefetch/APP-1.pf", "Windows/Logs/CBS/CBS.log",
                             "Users/Owner/AppData/Local/npm-cache/_cacache/index"};

} // namespace

void StandaloneTest::MakeMachine(int dataFreePercent)
{
    const unsigned long long free = kDataBytes / 100 * static_cast<unsigned long long>(dataFreePercent);
    machine.WriteMachineIni("[Machine]\nUserName=Owner\nAdministrator=1\n"
                            "[Drive C]\nLabel=System\nTotalBytes=500000000000\nFreeBytes=5000000000\n"
                            "[Drive D]\nFolder=data\nLabel=Data\nDisk=1\nTotalBytes=" +
                            std::to_string(kDataBytes) + "\nFreeBytes=" + std::to_string(free) +
                            "\nFragmentation=7\n[Disk 1]\nBus=11\n");
    std::filesystem::create_directories(machine.Root() + "/data");
    UseBuildProgramFolder();
    // Windows has the Run key; the autostart entry goes into it.
    HKEY run = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &run, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(run);
    for (const char* junk : kJunk) {
        const std::string path = machine.WriteFile(std::string("drive_c/") + junk, std::string(1000, 'j'));
        std::filesystem::last_write_time(path, std::filesystem::file_time_type::clock::now() - std::chrono::hours(72));
    }
}

void StandaloneTest::LoadEngines()
{
    ASSERT_TRUE(HostLoadGatherers());
    ASSERT_TRUE(CUIPublic::Instance()->LoadDefragPlugins());
}

void StandaloneTest::TearDown() { CUIPublic::ReleaseInstance(); }

} // namespace standalone_test
