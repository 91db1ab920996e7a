// Path names and the current folder.
#include "FilePaths.h"

#include "platform/Text.h"
#include "platform/win/Errors.h"
#include "platform/win/Files.h"
#include "platform/win/Handles.h"

#include <cstdio>
#include <cstring>
#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace platform::files;

namespace {

constexpr UINT kUniqueNumbers = 0x10000;

// The path as given, once it names something that exists: short names are not kept, so a path is
// its own long and short form.
DWORD ExistingPathAsGiven(LPCWSTR path, LPWSTR buffer, DWORD bufferLength)
{
    if (!path) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const std::wstring text = path;
    Place place;
    if (!ResolvePath(path, place))
        return 0;
    if (!place.exists) {
        errno = ENOENT;
        FailFromErrno(place);
        return 0;
    }
    return CopyToBuffer(text, buffer, bufferLength);
}

} // namespace

DWORD GetFullPathNameW(LPCWSTR fileName, DWORD bufferLength, LPWSTR buffer, LPWSTR* filePart)
{
    if (!fileName || !*fileName) {
        SetLastError(ERROR_INVALID_NAME);
        return 0;
    }
    const std::wstring full = FullWindowsPath(fileName);
    const DWORD result = CopyToBuffer(full, buffer, bufferLength);
    if (filePart && result == full.size()) {
        const size_t slash = full.find_last_of(L'\\');
        *filePart = slash + 1 < full.size() ? buffer + slash + 1 : nullptr;
    }
    return result;
}

DWORD GetLongPathNameW(LPCWSTR shortPath, LPWSTR longPath, DWORD bufferLength)
{
    return ExistingPathAsGiven(shortPath, longPath, bufferLength);
}

DWORD GetShortPathNameW(LPCWSTR longPath, LPWSTR shortPath, DWORD bufferLength)
{
    return ExistingPathAsGiven(longPath, shortPath, bufferLength);
}

DWORD GetCurrentDirectoryW(DWORD bufferLength, LPWSTR buffer)
{
    return CopyToBuffer(CurrentWindowsFolder(), buffer, bufferLength);
}

DWORD GetCurrentDirectoryA(DWORD bufferLength, LPSTR buffer)
{
    const std::string folder = platform::ToUtf8(CurrentWindowsFolder());
    if (!buffer || bufferLength <= folder.size())
        return static_cast<DWORD>(folder.size() + 1);
    std::memcpy(buffer, folder.c_str(), folder.size() + 1);
    return static_cast<DWORD>(folder.size());
}

BOOL SetCurrentDirectoryW(LPCWSTR pathName)
{
    Place place;
    if (!ResolvePath(pathName, place))
        return FALSE;
    const int fd = place.Open(O_PATH);
    struct stat st {};
    const bool known = fd >= 0 && fstat(fd, &st) == 0;
    if (fd >= 0)
        close(fd);
    if (!known)
        return FailFromErrno(place);
    if (!S_ISDIR(st.st_mode))
        return Fail(ERROR_DIRECTORY);
    return ChangeCurrentFolder(pathName, place) || FailFromErrno(place);
}

UINT GetTempFileNameW(LPCWSTR pathName, LPCWSTR prefixString, UINT unique, LPWSTR tempFileName)
{
    if (!pathName || !tempFileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    Place place;
    const int fd = ResolvePath(pathName, place) ? place.Open(O_PATH | O_DIRECTORY) : -1;
    if (fd < 0) {
        SetLastError(ERROR_DIRECTORY);
        return 0;
    }
    close(fd);
    std::wstring stem = pathName;
    if (!stem.empty() && stem.back() != L'\\' && stem.back() != L'/')
        stem += L'\\';
    stem += std::wstring(prefixString ? prefixString : L"").substr(0, 3);
    const auto nameOf = [&stem](UINT number) {
        wchar_t digits[8];
        std::swprintf(digits, 8, L"%X", number);
        return stem + digits + L".tmp";
    };
    if (nameOf(0xFFFF).size() >= MAX_PATH) {
        SetLastError(ERROR_BUFFER_OVERFLOW);
        return 0;
    }
    if (unique) {
        unique &= 0xFFFF;
        CopyToBuffer(nameOf(unique), tempFileName, MAX_PATH);
        return unique;
    }
    // Numbers are tried from a start that differs between calls, and the file is made, so that the
    // name is this caller's alone.
    const UINT start = static_cast<UINT>(std::clock() ^ getpid() ^ std::time(nullptr));
    for (UINT i = 0; i < kUniqueNumbers; ++i) {
        const UINT number = (start + i) % kUniqueNumbers;
        if (!number)
            continue;
        const std::wstring name = nameOf(number);
        const HANDLE file = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            CloseHandle(file);
            CopyToBuffer(name, tempFileName, MAX_PATH);
            SetLastError(ERROR_SUCCESS);
            return number;
        }
        if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ACCESS_DENIED)
            return 0;
    }
    SetLastError(ERROR_FILE_EXISTS);
    return 0;
}
