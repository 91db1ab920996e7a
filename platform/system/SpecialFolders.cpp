#include "platform/win/ShellFolders.h"

#include "platform/Machine.h"
#include "platform/win/Environment.h"

#include "BufferRules.h"
#include "WindowsFolders.h"

#include <cerrno>
#include <filesystem>
#include <mutex>

using platform::WindowsFolders;

namespace {

// The folder a special folder lies in; Virtual for the shell's folders that have no path.
enum class Base { Virtual, Profile, Roaming, Local, ProgramData, Public, Windows, System, SystemX86, ProgramFiles, CommonFiles };

struct FolderEntry {
    int csidl;
    Base base;
    const wchar_t* below;
};

// The folders of Windows 10 (older names such as CSIDL_ALTSTARTUP answer the folder that took
// their place).
const FolderEntry kFolders[] = {
    {CSIDL_DESKTOP, Base::Profile, L"\\Desktop"},
    {CSIDL_INTERNET, Base::Virtual, L""},
    {CSIDL_PROGRAMS, Base::Roaming, L"\\Microsoft\\Windows\\Start Menu\\Programs"},
    {CSIDL_CONTROLS, Base::Virtual, L""},
    {CSIDL_PRINTERS, Base::Virtual, L""},
    {CSIDL_PERSONAL, Base::Profile, L"\\Documents"},
    {CSIDL_FAVORITES, Base::Profile, L"\\Favorites"},
    {CSIDL_STARTUP, Base::Roaming, L"\\Microsoft\\Windows\\Start Menu\\Programs\\Startup"},
    {CSIDL_RECENT, Base::Roaming, L"\\Microsoft\\Windows\\Recent"},
    {CSIDL_SENDTO, Base::Roaming, L"\\Microsoft\\Windows\\SendTo"},
    {CSIDL_BITBUCKET, Base::Virtual, L""},
    {CSIDL_STARTMENU, Base::Roaming, L"\\Microsoft\\Windows\\Start Menu"},
    {0x000c, Base::Profile, L"\\Documents"}, // the desktop's "My Documents" item
    {CSIDL_MYMUSIC, Base::Profile, L"\\Music"},
    {CSIDL_MYVIDEO, Base::Profile, L"\\Videos"},
    {CSIDL_DESKTOPDIRECTORY, Base::Profile, L"\\Desktop"},
    {CSIDL_DRIVES, Base::Virtual, L""},
    {CSIDL_NETWORK, Base::Virtual, L""},
    {CSIDL_NETHOOD, Base::Roaming, L"\\Microsoft\\Windows\\Network Shortcuts"},
    {CSIDL_FONTS, Base::Windows, L"\\Fonts"},
    {CSIDL_TEMPLATES, Base::Roaming, L"\\Microsoft\\Windows\\Templates"},
    {CSIDL_COMMON_STARTMENU, Base::ProgramData, L"\\Microsoft\\Windows\\Start Menu"},
    {CSIDL_COMMON_PROGRAMS, Base::ProgramData, L"\\Microsoft\\Windows\\Start Menu\\Programs"},
    {CSIDL_COMMON_STARTUP, Base::ProgramData, L"\\Microsoft\\Windows\\Start Menu\\Programs\\Startup"},
    {CSIDL_COMMON_DESKTOPDIRECTORY, Base::Public, L"\\Desktop"},
    {CSIDL_APPDATA, Base::Roaming, L""},
    {CSIDL_PRINTHOOD, Base::Roaming, L"\\Microsoft\\Windows\\Printer Shortcuts"},
    {CSIDL_LOCAL_APPDATA, Base::Local, L""},
    {CSIDL_ALTSTARTUP, Base::Roaming, L"\\Microsoft\\Windows\\Start Menu\\Programs\\Startup"},
    {CSIDL_COMMON_ALTSTARTUP, Base::ProgramData, L"\\Microsoft\\Windows\\Start Menu\\Programs\\Startup"},
    {CSIDL_COMMON_FAVORITES, Base::Profile, L"\\Favorites"},
    {CSIDL_INTERNET_CACHE, Base::Local, L"\\Microsoft\\Windows\\INetCache"},
    {CSIDL_COOKIES, Base::Local, L"\\Microsoft\\Windows\\INetCookies"},
    {CSIDL_HISTORY, Base::Local, L"\\Microsoft\\Windows\\History"},
    {CSIDL_COMMON_APPDATA, Base::ProgramData, L""},
    {CSIDL_WINDOWS, Base::Windows, L""},
    {CSIDL_SYSTEM, Base::System, L""},
    {CSIDL_PROGRAM_FILES, Base::ProgramFiles, L""},
    {CSIDL_MYPICTURES, Base::Profile, L"\\Pictures"},
    {CSIDL_PROFILE, Base::Profile, L""},
    {CSIDL_SYSTEMX86, Base::SystemX86, L""},
    {CSIDL_PROGRAM_FILESX86, Base::ProgramFiles, L""},
    {CSIDL_PROGRAM_FILES_COMMON, Base::CommonFiles, L""},
    {CSIDL_PROGRAM_FILES_COMMONX86, Base::CommonFiles, L""},
    {CSIDL_COMMON_TEMPLATES, Base::ProgramData, L"\\Microsoft\\Windows\\Templates"},
    {CSIDL_COMMON_DOCUMENTS, Base::Public, L"\\Documents"},
    {CSIDL_COMMON_ADMINTOOLS, Base::ProgramData, L"\\Microsoft\\Windows\\Start Menu\\Programs\\Administrative Tools"},
    {CSIDL_ADMINTOOLS, Base::Roaming, L"\\Microsoft\\Windows\\Start Menu\\Programs\\Administrative Tools"},
    {CSIDL_CONNECTIONS, Base::Virtual, L""},
    {CSIDL_COMMON_MUSIC, Base::Public, L"\\Music"},
    {CSIDL_COMMON_PICTURES, Base::Public, L"\\Pictures"},
    {CSIDL_COMMON_VIDEO, Base::Public, L"\\Videos"},
    {CSIDL_RESOURCES, Base::Windows, L"\\Resources"},
    {CSIDL_RESOURCES_LOCALIZED, Base::Windows, L"\\Resources\\0409"},
    {CSIDL_COMMON_OEM_LINKS, Base::ProgramData, L"\\OEM Links"},
    {CSIDL_CDBURN_AREA, Base::Local, L"\\Microsoft\\Windows\\Burn\\Burn"},
    {CSIDL_COMPUTERSNEARME, Base::Virtual, L""},
};

const FolderEntry* Find(int csidl)
{
    for (const auto& entry : kFolders)
        if (entry.csidl == csidl)
            return &entry;
    return nullptr;
}

std::wstring PathOf(const FolderEntry& entry, const WindowsFolders& f)
{
    switch (entry.base) {
    case Base::Profile: return f.profile + entry.below;
    case Base::Roaming: return f.roamingAppData + entry.below;
    case Base::Local: return f.localAppData + entry.below;
    case Base::ProgramData: return f.programData + entry.below;
    case Base::Public: return f.publicProfile + entry.below;
    case Base::Windows: return f.windows + entry.below;
    case Base::System: return f.system + entry.below;
    case Base::SystemX86: return f.systemX86 + entry.below;
    case Base::ProgramFiles: return f.programFiles + entry.below;
    case Base::CommonFiles: return f.commonFiles + entry.below;
    case Base::Virtual: break;
    }
    return {};
}

// An installed Windows has all of its special folders; the machine gets them on first use, so that
// the answers are verified against the disk as Windows verifies them.
void LayOutOnce(const platform::MachineDescription& machine, const WindowsFolders& folders)
{
    static std::mutex mutex;
    static const platform::MachineDescription* laidOut = nullptr;
    std::lock_guard<std::mutex> lock(mutex);
    if (laidOut == &machine)
        return;
    laidOut = &machine;
    for (const auto& entry : kFolders)
        if (entry.base != Base::Virtual)
            platform::MakeFolders(platform::HostPath(PathOf(entry, folders)));
}

bool IsFolder(const std::string& hostPath)
{
    std::error_code ignored;
    return !hostPath.empty() && std::filesystem::is_directory(hostPath, ignored);
}

} // namespace

HRESULT SHGetFolderPathW(HWND, int csidl, HANDLE, DWORD, LPWSTR path)
{
    if (!path)
        return E_INVALIDARG;
    path[0] = L'\0';
    const FolderEntry* entry = Find(csidl & ~CSIDL_FLAG_MASK);
    if (!entry)
        return E_INVALIDARG;
    if (entry->base == Base::Virtual)
        return E_FAIL;
    const auto& machine = platform::Machine();
    const WindowsFolders folders = platform::FoldersOf(machine);
    LayOutOnce(machine, folders);
    // What follows only looks, once, at the changes made before it.
    const platform::OneLookAtChanges look;
    const std::wstring folder = PathOf(*entry, folders);
    if (folder.size() >= MAX_PATH)
        return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
    const std::string host = platform::HostPath(folder);
    if (!IsFolder(host)) {
        if (csidl & CSIDL_FLAG_CREATE) {
            if (!platform::MakeFolders(host))
                return HRESULT_FROM_WIN32(platform::ErrorFromErrno(errno));
        } else if (!(csidl & CSIDL_FLAG_DONT_VERIFY)) {
            return E_FAIL;
        }
    }
    platform::CopyOrMeasure(folder, path, MAX_PATH);
    return S_OK;
}

BOOL SHGetSpecialFolderPathW(HWND owner, LPWSTR path, int csidl, BOOL create)
{
    return SUCCEEDED(SHGetFolderPathW(owner, csidl | (create ? CSIDL_FLAG_CREATE : 0), nullptr, SHGFP_TYPE_CURRENT, path))
               ? TRUE
               : FALSE;
}

DWORD GetTempPathW(DWORD bufferLength, LPWSTR buffer)
{
    std::wstring temp;
    for (const wchar_t* name : {L"TMP", L"TEMP", L"USERPROFILE"}) {
        if (auto value = platform::EnvironmentValue(name); value && !value->empty()) {
            temp = *value;
            break;
        }
    }
    if (temp.empty())
        temp = platform::FoldersOf(platform::Machine()).windows;
    if (temp.back() != L'\\')
        temp += L'\\';
    platform::MakeFolders(platform::HostPath(temp));
    return platform::CopyOrMeasure(temp, buffer, bufferLength);
}

UINT GetWindowsDirectoryW(LPWSTR buffer, UINT size)
{
    return platform::CopyOrMeasure(platform::FoldersOf(platform::Machine()).windows, buffer, size);
}

UINT GetSystemDirectoryW(LPWSTR buffer, UINT size)
{
    return platform::CopyOrMeasure(platform::FoldersOf(platform::Machine()).system, buffer, size);
}

UINT GetSystemWow64DirectoryW(LPWSTR buffer, UINT size)
{
    const auto& machine = platform::Machine();
    if (!machine.is64BitWindows) {
        SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
        return 0;
    }
    return platform::CopyOrMeasure(platform::FoldersOf(machine).systemX86, buffer, size);
}
