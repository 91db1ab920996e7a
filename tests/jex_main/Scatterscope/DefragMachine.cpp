#include "DefragMachine.h"

#include "platform/IniFile.h"
#include "platform/Machine.h"
#include "platform/SystemPrograms.h"
#include "platform/Text.h"
#include "platform/Windows.h"

#include <chrono>
#include <filesystem>

namespace fs = std::filesystem;

namespace scatterscope_test {

void AddMachineKeys(const std::string& lines)
{
    platform::IniFile ini(platform::MachineIniPath());
    std::wstring section;
    size_t start = 0;
    while (start < lines.size()) {
        size_t end = lines.find('\n', start);
        if (end == std::string::npos)
            end = lines.size();
        const std::wstring line = platform::FromUtf8(lines.substr(start, end - start));
        const size_t equals = line.find(L'=');
        if (!line.empty() && line.front() == L'[')
            section = line.substr(1, line.size() - 2);
        else if (equals != std::wstring::npos)
            ini.Set(section, line.substr(0, equals), line.substr(equals + 1));
        start = end + 1;
    }
    ini.Save();
    platform::ReloadMachine();
}

void PrepareMachine(const testing_support::TempMachine& machine, const std::string& version, const std::string& extra)
{
    std::string ini = "[Machine]\nWindowsVersion=" + version + "\n";
    for (char letter = 'C'; letter <= 'H'; ++letter)
        ini += std::string("[Drive ") + letter + "]\nLabel=Volume" + letter + "\n";
    machine.WriteMachineIni(ini);
    AddMachineKeys(extra);
    const std::string program = machine.UseProgramFolder();
    const std::string build = testing_support::BuildProgramFolder();
    for (const char* file : {"spawn", "Tallyrun.so"})
        fs::copy_file(build + "/" + file, program + "/" + file); // a link would lead out of the machine
    platform::InstallSystemPrograms(build);
    if (version.compare(0, 3, "6.0") != 0 && version[0] != '5') {
        machine.WriteFile("drive_c/Windows/System32/en-US/defrag.exe.mui", "messages");
        machine.WriteFile("drive_c/Windows/SysWOW64/en-US/defrag.exe.mui", "messages");
    }
}

std::wstring VolumeOf(wchar_t letter)
{
    const wchar_t root[] = {letter, L':', L'\\', L'\0'};
    wchar_t name[MAX_PATH] = {};
    GetVolumeNameForVolumeMountPointW(root, name, MAX_PATH);
    return name;
}

void SetMachineKey(const std::wstring& section, const std::wstring& key, const std::wstring& value)
{
    platform::ChangeMachineIni([&](platform::IniFile& ini) { ini.Set(section, key, value); });
}

OpResult StatusLog::Callback(void* context, const _Defrag_Status_Info_* status)
{
    auto* log = static_cast<StatusLog*>(context);
    Entry entry;
    entry.volume = status->volume;
    entry.state = status->state;
    entry.value = status->value;
    if (status->state == DEFRAG_STATE_DEFRAGMENTED && status->value)
        entry.text = reinterpret_cast<const char*>(status->value);
    entry.thread = GetCurrentThreadId();
    std::lock_guard<std::mutex> lock(log->mutex_);
    log->entries_.push_back(entry);
    log->changed_.notify_all();
    return 0;
}

std::vector<StatusLog::Entry> StatusLog::Entries() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return entries_;
}

size_t StatusLog::Count(const std::wstring& volume, int32_t state) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    size_t count = 0;
    for (const auto& entry : entries_)
        count += entry.volume == volume && entry.state == state;
    return count;
}

bool StatusLog::WaitFor(const std::wstring& volume, int32_t state, Entry* found, DWORD timeoutMs) const
{
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
        for (const auto& entry : entries_) {
            if (entry.volume == volume && entry.state == state) {
                if (found)
                    *found = entry;
                return true;
            }
        }
        return false;
    });
}

std::vector<int32_t> StatusLog::States(const std::wstring& volume) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<int32_t> states;
    for (const auto& entry : entries_)
        if (entry.volume == volume)
            states.push_back(entry.state);
    return states;
}

} // namespace scatterscope_test
