#include "JunkMachine.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace dregsweep_test {

const char kRules[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<Config>
  <RegGarbageCatagory Name="Empty software keys" ResID="REG_EMPTY_SOFTWARE">
    <RegGarbageInfo RegRoot="2" RegItem="Software" ProcType="1"/>
  </RegGarbageCatagory>
  <DregsweepCatagory Kind="0" Name="System" ResID="T_SYSTEM" Icon="icon_system.png">
    <DregsweepProgram Name="Windows" ResID="T_WINDOWS">
      <DregsweepType Name="Temporary files" ResID="T_TEMP">
        <DregsweepRule Folder="%TEMP%" Files="*" Recurse="1" MinAgeHours="24"/>
      </DregsweepType>
      <DregsweepType Name="Logs" ResID="T_LOGS">
        <DregsweepRule Folder="%windir%\Logs" Files="*.log|setup?.txt"/>
      </DregsweepType>
    </DregsweepProgram>
  </DregsweepCatagory>
  <DregsweepCatagory Kind="1" Name="Browsers" Icon="icon_browser.png">
    <DregsweepProgram Name="Browser" Icon="icon_Chrome.png" Process="browser.exe">
      <DregsweepType Name="Internet cache">
        <DregsweepRule Folder="%LOCALAPPDATA%\Browser\User Data\*\Cache" Files="*" Recurse="1"/>
      </DregsweepType>
    </DregsweepProgram>
  </DregsweepCatagory>
</Config>
)";

const char kTexts[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<ResIDText>
  <RegGarbage><REG_EMPTY_SOFTWARE>Empty software keys</REG_EMPTY_SOFTWARE></RegGarbage>
  <Dregsweep><T_SYSTEM>System junk</T_SYSTEM><T_TEMP>Temporary files</T_TEMP></Dregsweep>
</ResIDText>
)";

bool CRecordingSink::OnScanProgress(int percent, int)
{
    percents.push_back(percent);
    return progressAnswer();
}

bool CRecordingSink::OnGarbageFound(std::wstring name, uint64_t size, IDregsweepCatagory* category)
{
    found.push_back({name, size, category});
    return foundAnswer();
}

bool CRecordingSink::OnCloseProcess(std::wstring appName, const DWORD* processIds, int)
{
    std::vector<DWORD> ids;
    for (const DWORD* id = processIds; *id; ++id)
        ids.push_back(*id);
    closeQuestions.emplace_back(appName, ids);
    return closeAnswer(appName);
}

bool CRecordingSink::OnGarbageCleaned(std::wstring name, uint64_t size, IDregsweepCatagory* category)
{
    cleaned.push_back({name, size, category});
    return cleanedAnswer();
}

void JunkMachine::SetUp()
{
    // The logged-on user's profile and its temporary folder exist once the machine is loaded.
    machine.WriteMachineIni("[Machine]\nUserName=Owner\n");
    WriteRules(kRules);
}

void JunkMachine::WriteRules(const std::string& rules, const std::string& texts)
{
    machine.WriteFile("drive_c/rules/Config.xml", rules);
    machine.WriteFile("drive_c/rules/ResIDText.xml", texts);
}

std::string JunkMachine::HostPath(const std::string& relative) const { return machine.Root() + "/drive_c/" + relative; }

bool JunkMachine::Exists(const std::string& relative) const
{
    std::error_code error;
    return fs::exists(fs::symlink_status(HostPath(relative), error));
}

std::string JunkMachine::Plant(const std::string& relative, size_t size, int daysOld) const
{
    const std::string path = machine.WriteFile("drive_c/" + relative, std::string(size, 'j'));
    fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::hours(24 * daysOld));
    return path;
}

void JunkMachine::PlantJunk() const
{
    const std::string owner = "Users/Owner/AppData/Local/";
    const std::string alice = "Users/Alice/AppData/Local/";
    Plant(owner + "Temp/old1.tmp", 100);
    Plant(owner + "Temp/sub/old2.tmp", 200);
    Plant(owner + "Temp/new.tmp", 50, 0);
    Plant(alice + "Temp/a.tmp", 1000);
    Plant("Users/Public/AppData/Local/Temp/p.tmp", 70);
    Plant("Users/Default/AppData/Local/Temp/d.tmp", 80);
    Plant("Windows/Logs/x.log", 10);
    Plant("Windows/Logs/y.txt", 20);
    Plant(owner + "Browser/User Data/Default/Cache/f1", 400);
    Plant(owner + "Browser/User Data/Profile 1/Cache/data/f2", 500);
    Plant(owner + "Browser/User Data/Profile 1/Preferences", 30);
    Plant(alice + "Browser/User Data/Default/Cache/f3", 600);
    Plant("outside/keep.txt", 7);
    fs::create_symlink(HostPath("outside/keep.txt"), HostPath(owner + "Temp/link.tmp"));
    fs::create_directory_symlink(HostPath("outside"), HostPath(owner + "Temp/linkdir"));
}

namespace {

// The entries of a first/next enumeration, each reference it hands out released again (the tree
// keeps its own until Uninit).
template <class TFirst, class TNext>
std::vector<IDregsweepCatagory*> Enumerate(TFirst first, TNext next)
{
    std::vector<IDregsweepCatagory*> entries;
    for (IDregsweepCatagory* entry = first(); entry; entry = next(entry)) {
        entries.push_back(entry);
        entry->Release();
    }
    return entries;
}

} // namespace

std::vector<IDregsweepCatagory*> Children(IDregsweepCatagory* catagory)
{
    return Enumerate([catagory] { return catagory->GetFirstChild(); },
                     [catagory](IDregsweepCatagory* previous) { return catagory->GetNextChild(previous); });
}

std::vector<IDregsweepCatagory*> TopCatagories(IDregsweep* gatherer)
{
    return Enumerate([gatherer] { return gatherer->GetFirstCatagory(); },
                     [gatherer](IDregsweepCatagory* previous) { return gatherer->GetNextCatagory(previous); });
}

IDregsweepCatagory* TypeNamed(IDregsweep* gatherer, const std::wstring& top, const std::wstring& type)
{
    for (IDregsweepCatagory* first : TopCatagories(gatherer))
        if (first->GetName()->name == top)
            for (IDregsweepCatagory* second : Children(first))
                for (IDregsweepCatagory* third : Children(second))
                    if (third->GetName()->name == type)
                        return third;
    return nullptr;
}

std::vector<std::pair<std::wstring, uint64_t>> FilesBelow(IDregsweepCatagory* catagory)
{
    CFileList list;
    if (auto* item = dynamic_cast<IDregsweepItem*>(catagory))
        item->EnumFiles(&list);
    for (IDregsweepCatagory* child : Children(catagory))
        for (auto& file : FilesBelow(child))
            list.files.push_back(file);
    std::sort(list.files.begin(), list.files.end());
    return list.files;
}

} // namespace dregsweep_test
