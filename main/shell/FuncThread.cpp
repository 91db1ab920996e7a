#include "FuncThread.h"

#include "Paneforge/Util.h"
#include "common/WriteLog.h"
#include "winlib/MVNRegKey.h"
#include "winlib/ShortcutInventory.h"
#include "winlib/SpecialFolders.h"
#include "common/Wow64FsRedirGuard.h"

#include <string>
#include <vector>

namespace {

const wchar_t kUninstallKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{B6A3F0D2-7C41-4E8A-9D15-2F6E8C0A4B17}_is1";
const wchar_t kDisplayName[] = L"DisplayName";
const wchar_t kUpdaterPath[] = L"\\Orvane\\Orvane Quarnel\\bin\\Renewer.exe";
const wchar_t kIconPath[] = L"\\Orvane\\Orvane Quarnel\\bin\\res\\icon.ico";
// The display name's buffer, its terminator included.
constexpr size_t kDisplayNameChars = 520;

void GiveShortcutsIcon(const std::wstring& target, const std::wstring& icon)
{
    CShortcutInventory inventory;
    inventory.ScanAll();
    std::vector<S_SHORTCUT_INFO*> shortcuts;
    inventory.FindByTarget(target, shortcuts);
    for (const S_SHORTCUT_INFO* shortcut : shortcuts)
        inventory.SetShortcutIcon(*shortcut, icon);
}

} // namespace

CFuncThread::CFuncThread(CFixFrameBase*) : QThread(nullptr)
{
}

void CFuncThread::run()
{
    S_NETWORK_CFG network;
    Util::getDravielsNetworkCfgInfo(network);
    const std::wstring version = network.strBuild.toStdWString();

    CMVNRegKey key;
    if (IsFailure(key.Open(HKEY_LOCAL_MACHINE, kUninstallKey, false, true)))
        return;
    std::wstring name;
    if (IsFailure(key.QueryString(kDisplayName, &name)) || name.empty() || name.find(version) != std::wstring::npos)
        return;

    const CWow64FsRedirGuard guard;
    const wchar_t* programFiles = SpecialFolders().Path(CSIDL_PROGRAM_FILESX86);
    if (!programFiles || !*programFiles)
        return;
    GiveShortcutsIcon(programFiles + std::wstring(kUpdaterPath), programFiles + std::wstring(kIconPath));

    const size_t blank = name.rfind(L' ');
    const std::wstring newName = (blank == std::wstring::npos ? std::wstring() : name.substr(0, blank + 1)) + version;
    if (newName.size() >= kDisplayNameChars) {
        WriteLogA("the uninstall entry's display name is left alone: with the new version it would not fit");
        return;
    }
    key.SetValue(kDisplayName, REG_SZ, newName.c_str(), static_cast<DWORD>((newName.size() + 1) * sizeof(wchar_t)));
}
