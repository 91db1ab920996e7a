#include "MachineRecord.h"

#include "platform/Machine.h"
#include "platform/Windows.h"

#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

std::string LocalTimeText()
{
    SYSTEMTIME now = {};
    GetLocalTime(&now);
    char text[64];
    std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02u.%03u", now.wYear, now.wMonth, now.wDay,
                  now.wHour, now.wMinute, now.wSecond, now.wMilliseconds);
    return text;
}

bool AppendMachineLine(const std::wstring& windowsPath, const std::string& line)
{
    const std::filesystem::path path = platform::HostPath(windowsPath);
    if (path.empty()) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return false;
    }
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    if (error) {
        SetLastError(platform::ErrorFromErrno(error.value()));
        return false;
    }
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        platform::SetLastErrorFromErrno();
        return false;
    }
    const std::string record = line + "\n";
    const ssize_t written = ::write(fd, record.data(), record.size());
    const bool whole = written == static_cast<ssize_t>(record.size());
    if (written < 0)
        platform::SetLastErrorFromErrno();
    else if (!whole)
        SetLastError(ERROR_DISK_FULL);
    ::close(fd);
    return whole;
}
