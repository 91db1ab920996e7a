#include "FilePaths.h"

#include "Drives.h"

#include "platform/Machine.h"
#include "platform/win/Errors.h"
#include "platform/win/SystemInfo.h"

#include <algorithm>
#include <cerrno>
#include <cwctype>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform::files {

namespace {

bool StartsWith(const std::wstring& text, const wchar_t* prefix)
{
    return text.compare(0, std::char_traits<wchar_t>::length(prefix), prefix) == 0;
}

bool IsDriveLetter(const std::wstring& path)
{
    return path.size() >= 2 && path[1] == L':' && std::iswalpha(static_cast<wint_t>(path[0]));
}

// Joins a root ("C:\", "\\server\share\", "\") and the components of rest, folding "." and "..".
std::wstring Fold(const std::wstring& root, const std::wstring& rest, size_t keptComponents = 0)
{
    std::vector<std::wstring> parts;
    size_t pos = 0;
    while (pos <= rest.size()) {
        size_t next = rest.find(L'\\', pos);
        if (next == std::wstring::npos)
            next = rest.size();
        const std::wstring part = rest.substr(pos, next - pos);
        if (part == L"..") {
            if (parts.size() > keptComponents)
                parts.pop_back();
        } else if (!part.empty() && part != L".") {
            parts.push_back(part);
        }
        pos = next + 1;
    }
    std::wstring result = root;
    for (size_t i = 0; i < parts.size(); ++i)
        result += (i ? L"\\" : L"") + parts[i];
    if (!parts.empty() && !rest.empty() && rest.back() == L'\\')
        result += L'\\';
    return result;
}

std::mutex g_currentMutex;
bool g_currentSet = false;
std::wstring g_currentWindows; // the name SetCurrentDirectoryW was given

} // namespace

std::wstring CurrentWindowsFolder()
{
    {
        std::lock_guard<std::mutex> lock(g_currentMutex);
        if (g_currentSet)
            return g_currentWindows;
    }
    char buffer[4096];
    const std::wstring host = getcwd(buffer, sizeof(buffer)) ? WindowsPath(buffer) : std::wstring();
    return host.empty() ? Machine().programFolder : host;
}

bool ChangeCurrentFolder(const std::wstring& windowsPath, const Place& folder)
{
    const int fd = folder.Open(O_PATH | O_DIRECTORY);
    if (fd < 0)
        return false;
    const bool changed = fchdir(fd) == 0;
    const int err = errno;
    close(fd);
    if (!changed) {
        errno = err;
        return false;
    }
    std::wstring name = FullWindowsPath(windowsPath);
    if (name.size() > 3 && name.back() == L'\\')
        name.pop_back();
    std::lock_guard<std::mutex> lock(g_currentMutex);
    g_currentWindows = name;
    g_currentSet = true;
    return true;
}

// Whether a path is already full: "X:\" and names, none of them empty, "." or "..".
bool IsFull(const std::wstring& path)
{
    if (path.size() < 3 || !IsDriveLetter(path) || path[2] != L'\\' || !std::iswupper(static_cast<wint_t>(path[0])))
        return false;
    size_t start = 3;
    for (size_t i = 3; i <= path.size(); ++i) {
        if (i < path.size() && path[i] != L'\\') {
            if (path[i] == L'/')
                return false;
            continue;
        }
        const size_t length = i - start;
        const bool dots = (length == 1 && path[start] == L'.') ||
                          (length == 2 && path[start] == L'.' && path[start + 1] == L'.');
        if (dots || (length == 0 && i < path.size()))
            return false;
        start = i + 1;
    }
    return true;
}

std::wstring FullWindowsPath(const std::wstring& path)
{
    if (IsFull(path))
        return path;
    std::wstring p = path;
    std::replace(p.begin(), p.end(), L'/', L'\\');
    if (StartsWith(p, L"\\\\?\\") || StartsWith(p, L"\\\\.\\")) {
        size_t length = 0;
        if (const DriveInfo* drive = DriveOfVolumeName(p, length))
            return Fold(std::wstring(1, drive->letter) + L":\\", p.substr(length));
        p.erase(0, 4);
        if (StartsWith(p, L"UNC\\"))
            p = L"\\" + p.substr(3);
    }
    if (IsDriveLetter(p)) {
        const wchar_t letter = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(p[0])));
        const std::wstring rest = p.substr(2);
        if (!rest.empty() && rest.front() == L'\\')
            return Fold(std::wstring(1, letter) + L":\\", rest);
        const std::wstring current = CurrentWindowsFolder();
        if (IsDriveLetter(current) && std::towupper(static_cast<wint_t>(current[0])) == static_cast<wint_t>(letter))
            return FullWindowsPath(current + L"\\" + rest);
        return Fold(std::wstring(1, letter) + L":\\", rest);
    }
    if (StartsWith(p, L"\\\\"))
        return L"\\" + Fold(L"\\", p.substr(2), 2);
    const std::wstring current = CurrentWindowsFolder();
    if (StartsWith(p, L"\\"))
        return Fold(current.substr(0, 2) + L"\\", p);
    return FullWindowsPath(current + L"\\" + p);
}

bool ResolvePath(LPCWSTR path, Place& place)
{
    if (!path || !*path)
        return Fail(ERROR_PATH_NOT_FOUND);
    // Resolving changes nothing: the changes reported before it are taken in once.
    const OneLookAtChanges look;
    std::wstring full(path);
    if (!IsFull(full))
        full = FullWindowsPath(full);
    if (StartsWith(full, L"\\\\"))
        return Fail(ERROR_PATH_NOT_FOUND);
    RedirectSystemFolder(full);
    unsigned error = ERROR_SUCCESS;
    return Resolve(full, place, error) || Fail(error);
}

std::string ParentFolder(const std::string& hostPath)
{
    const size_t slash = hostPath.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : hostPath.substr(0, slash);
}

bool FailFromErrno(const Place& place)
{
    const int err = errno;
    if (err == ENOENT || err == EXDEV)
        SetLastError(place.parent ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
    else
        SetLastError(ErrorFromErrno(err));
    return false;
}

bool FailFromErrno(const std::string& hostPath)
{
    const int err = errno;
    if (err == ENOENT) {
        struct stat st {};
        const bool folderExists = stat(ParentFolder(hostPath).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
        SetLastError(folderExists ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
    } else {
        SetLastError(ErrorFromErrno(err));
    }
    return false;
}

bool RefuseWhenWriteProtected(const Place& place)
{
    if (place.writeProtected)
        SetLastError(ERROR_WRITE_PROTECT);
    return place.writeProtected;
}

bool Fail(DWORD error)
{
    SetLastError(error);
    return false;
}

HANDLE InvalidHandle(DWORD error)
{
    SetLastError(error);
    return INVALID_HANDLE_VALUE;
}

DWORD CopyToBuffer(const std::wstring& text, LPWSTR buffer, DWORD bufferLength)
{
    const DWORD length = static_cast<DWORD>(text.size());
    if (!buffer || bufferLength <= length)
        return length + 1;
    std::copy(text.begin(), text.end(), buffer);
    buffer[length] = L'\0';
    return length;
}

} // namespace platform::files
