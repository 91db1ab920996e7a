#include "StandInTestSupport.h"

#include "platform/IniFile.h"
#include "platform/Machine.h"
#include "platform/RegistrySeed.h"
#include "platform/SystemPrograms.h"
#include "platform/Text.h"
#include "platform/Windows.h"

namespace standin_test {

void StandInTest::Prepare(const std::string& driveE, const std::string& more)
{
    machine.WriteMachineIni("[Drive C]\nLabel=System\nDisk=0\n"
                            "[Drive D]\nLabel=Data\nDisk=0\n"
                            "[Drive E]\nType=2\nBus=7\nDisk=1\nLabel=STICK\nFileSystem=FAT32\n" + driveE +
                            "[Disk 0]\nBus=11\nVendor=QUARNEL\nProduct=SSD\nSize=512110190592\n"
                            "[Disk 1]\nBus=7\nVendor=Kingstone\nProduct=DataTraveler\nSize=15518924800\n" + more);
    ASSERT_TRUE(platform::InstallSystemPrograms(testing_support::BuildProgramFolder()));
}

kernel_test::Outcome StandInTest::Run(const std::wstring& commandLine) { return kernel_test::RunToEnd(commandLine); }

void StandInTest::SeedServices()
{
    const auto result = platform::ImportRegistryText(
        L"Windows Registry Editor Version 5.00\r\n\r\n"
        L"[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\wuauserv]\r\n"
        L"\"DisplayName\"=\"Windows Update\"\r\n\"Start\"=dword:00000002\r\n\"Type\"=dword:00000020\r\n\r\n"
        L"[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\WaaSMedicSvc]\r\n"
        L"\"DisplayName\"=\"Windows Update Medic Service\"\r\n\"Start\"=dword:00000003\r\n"
        L"\"CurrentState\"=dword:00000004\r\n");
    ASSERT_TRUE(result.ok) << platform::ToUtf8(result.message);
}

long long StandInTest::ServiceValue(const std::wstring& service, const std::wstring& name)
{
    DWORD value = 0, size = sizeof(value);
    const std::wstring key = L"SYSTEM\\CurrentControlSet\\Services\\" + service;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), name.c_str(), RRF_RT_REG_DWORD, nullptr, &value, &size) !=
        ERROR_SUCCESS)
        return -1;
    return value;
}

std::wstring StandInTest::IniValue(const std::wstring& section, const std::wstring& key)
{
    return platform::IniFile(platform::MachineIniPath()).Get(section, key, L"");
}

void StandInTest::SetIniValue(const std::wstring& section, const std::wstring& key, const std::wstring& value)
{
    platform::IniFile ini(platform::MachineIniPath());
    ini.Set(section, key, value);
    ASSERT_TRUE(ini.Save());
    platform::ReloadMachine();
}

} // namespace standin_test
