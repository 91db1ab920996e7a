#include "winlib/FileHelpers.h"

#include "common/Wow64FsRedirGuard.h"

#include "platform/Windows.h"

#include <optional>

namespace {

constexpr DWORD kModuleNameChars = 520;

std::optional<WIN32_FILE_ATTRIBUTE_DATA> Attributes(const std::wstring& path, bool redirectionOff)
{
    return WithRedirection(redirectionOff, [&path]() -> std::optional<WIN32_FILE_ATTRIBUTE_DATA> {
        WIN32_FILE_ATTRIBUTE_DATA data = {};
        if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
            return std::nullopt;
        return data;
    });
}

std::wstring ProgramFolder()
{
    wchar_t name[kModuleNameChars] = {};
    const DWORD length = GetModuleFileNameW(nullptr, name, kModuleNameChars);
    const std::wstring path(name, length < kModuleNameChars ? length : 0);
    const size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

} // namespace

const std::wstring& GetExeDir()
{
    static const std::wstring folder = ProgramFolder();
    return folder;
}

std::wstring GetCacheDir()
{
    return GetExeDir() + L"\\cache";
}

bool PathExists(const std::wstring& path)
{
    return !path.empty() && Attributes(path, false).has_value();
}

bool EnsureDirectory(const std::wstring& path)
{
    return PathExists(path) || CreateDirectoryW(path.c_str(), nullptr);
}

uint64_t GetFileSize64(const std::wstring& path, bool redirectionOff)
{
    const auto data = Attributes(path, redirectionOff);
    if (!data)
        return 0;
    return (static_cast<uint64_t>(data->nFileSizeHigh) << 32) | data->nFileSizeLow;
}

bool FileExists(const std::wstring& path, bool redirectionOff)
{
    return Attributes(path, redirectionOff).has_value();
}

bool IsNotFolder(const std::wstring& path, bool redirectionOff)
{
    const auto data = Attributes(path, redirectionOff);
    return data && (data->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}
