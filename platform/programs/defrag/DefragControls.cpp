#include "DefragControls.h"

#include "platform/IniFile.h"
#include "platform/Machine.h"
#include "platform/Text.h"
#include "platform/Windows.h"

namespace defrag {

namespace {

std::wstring DriveSection(wchar_t letter) { return std::wstring(L"Drive ") + letter; }

std::wstring Value(const platform::IniFile& ini, wchar_t letter, const std::wstring& key)
{
    if (auto own = ini.Get(DriveSection(letter), key))
        return *own;
    return ini.Get(L"Defrag", key, L"");
}

long long Number(const platform::IniFile& ini, wchar_t letter, const std::wstring& key)
{
    const std::wstring text = Value(ini, letter, key);
    return text.empty() ? 0 : std::wcstoll(text.c_str(), nullptr, 10);
}

} // namespace

Controls ReadControls(wchar_t letter)
{
    const platform::IniFile ini(platform::MachineIniPath());
    Controls controls;
    controls.fragmentation = static_cast<int>(ini.GetInt(DriveSection(letter), L"Fragmentation", 0));
    const long long delay = Number(ini, letter, L"DefragDelayMs");
    controls.delayMs = delay > 0 ? static_cast<unsigned>(delay) : 0;
    const long long trailer = Number(ini, letter, L"DefragTrailerLines");
    controls.trailerLines = trailer > 0 ? static_cast<unsigned>(trailer) : 0;
    controls.fail = platform::UpperCase(Value(ini, letter, L"DefragFail"));
    return controls;
}

bool IsBlocked(wchar_t letter)
{
    return Number(platform::IniFile(platform::MachineIniPath()), letter, L"DefragBlocked") != 0;
}

bool StoreFragmentation(wchar_t letter, int percent)
{
    return platform::ChangeMachineIni([letter, percent](platform::IniFile& ini) {
        ini.Set(DriveSection(letter), L"Fragmentation", std::to_wstring(percent));
    });
}

} // namespace defrag
