#include "WindowsFolders.h"

#include <cerrno>
#include <filesystem>

namespace platform {

WindowsFolders FoldersOf(const MachineDescription& machine)
{
    WindowsFolders f;
    f.windows = L"C:\\Windows";
    f.system = f.windows + L"\\System32";
    f.systemX86 = machine.is64BitWindows ? f.windows + L"\\SysWOW64" : f.system;
    f.programFilesNative = L"C:\\Program Files";
    f.programFiles = machine.is64BitWindows ? L"C:\\Program Files (x86)" : f.programFilesNative;
    f.commonFiles = f.programFiles + L"\\Common Files";
    f.commonFilesNative = f.programFilesNative + L"\\Common Files";
    f.profile = L"C:\\Users\\" + machine.userName;
    f.roamingAppData = f.profile + L"\\AppData\\Roaming";
    f.localAppData = f.profile + L"\\AppData\\Local";
    f.temp = f.localAppData + L"\\Temp";
    f.programData = L"C:\\ProgramData";
    f.publicProfile = L"C:\\Users\\Public";
    return f;
}

bool MakeFolders(const std::string& hostPath)
{
    if (hostPath.empty()) {
        errno = ENOENT;
        return false;
    }
    std::error_code error;
    std::filesystem::create_directories(hostPath, error);
    std::error_code ignored;
    if (std::filesystem::is_directory(hostPath, ignored))
        return true;
    errno = error ? error.value() : ENOTDIR;
    return false;
}

} // namespace platform
