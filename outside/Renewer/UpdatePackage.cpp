#include "UpdatePackage.h"

#include "platform/IniFile.h"
#include "platform/Machine.h"
#include "platform/Text.h"
#include "platform/Windows.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace {

std::wstring ProductTempFolder()
{
    wchar_t buffer[MAX_PATH] = {};
    const DWORD length = GetTempPathW(MAX_PATH, buffer);
    if (length == 0 || length >= MAX_PATH)
        return std::wstring();
    return std::wstring(buffer, length) + L"Orvane\\Quarnel\\";
}

} // namespace

std::string DownloadUpdatePackage()
{
    const std::wstring tempFolder = ProductTempFolder();
    if (tempFolder.empty())
        return "the temporary folder cannot be read";
    const fs::path folder = platform::HostPath(tempFolder);
    const fs::path target = folder / "Draviels.zip";
    std::error_code error;
    fs::remove(target, error);
    if (error)
        return "the earlier package cannot be removed: " + error.message();

    const std::wstring package =
        platform::IniFile(platform::MachineIniPath()).Get(L"Renewer", L"UpdatePackage", L"");
    if (package.empty())
        return "no update package is configured";
    const fs::path source = platform::HostPath(package);
    if (source.empty() || !fs::is_regular_file(source, error))
        return "the update package " + platform::ToUtf8(package) + " does not exist";

    fs::create_directories(folder, error);
    const fs::path partial = folder / ("Draviels.zip." + std::to_string(GetCurrentProcessId()) + ".part");
    if (!error)
        fs::copy_file(source, partial, fs::copy_options::overwrite_existing, error);
    if (!error)
        fs::rename(partial, target, error);
    if (error) {
        std::error_code ignored;
        fs::remove(partial, ignored);
        return "the update package cannot be copied: " + error.message();
    }
    return std::string();
}
