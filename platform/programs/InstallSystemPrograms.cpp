#include "platform/SystemPrograms.h"

#include "platform/Machine.h"
#include "platform/win/Errors.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace platform {

namespace {

bool Failed(const std::error_code& error)
{
    if (!error)
        return false;
    SetLastError(ErrorFromErrno(error.value()));
    return true;
}

// Copied beside the target and renamed over it, so that a copy that is running keeps its file.
bool CopyWhenOlder(const fs::path& program, const fs::path& target)
{
    std::error_code error;
    const auto programTime = fs::last_write_time(program, error);
    if (Failed(error))
        return false;
    const auto targetTime = fs::last_write_time(target, error);
    if (!error && targetTime >= programTime)
        return true;
    const fs::path partial = target.string() + ".partial";
    fs::copy_file(program, partial, fs::copy_options::overwrite_existing, error);
    if (!Failed(error))
        fs::rename(partial, target, error);
    if (!error)
        return true;
    Failed(error);
    fs::remove(partial, error);
    return false;
}

} // namespace

bool InstallSystemPrograms(const std::string& programFolder)
{
    const DriveInfo* system = Machine().Drive(L'C');
    const fs::path source = fs::path(programFolder) / "system32";
    std::error_code error;
    if (!system || !fs::is_directory(source, error))
        return true;
    for (const char* folder : {"Windows/System32", "Windows/SysWOW64"}) {
        const fs::path target = fs::path(system->folder) / folder;
        fs::create_directories(target, error);
        if (Failed(error))
            return false;
        for (const auto& entry : fs::directory_iterator(source, error)) {
            if (entry.is_regular_file() &&
                !CopyWhenOlder(entry.path(), target / (entry.path().filename().string() + ".exe")))
                return false;
        }
        if (Failed(error))
            return false;
    }
    return true;
}

bool InstallSystemPrograms() { return InstallSystemPrograms(ProgramFolder()); }

} // namespace platform
