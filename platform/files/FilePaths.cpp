#include "FilePaths.h"

#include "Drives.h"

#include "platform/Machine.h"
#include "platform/win/Errors.h"

#include <algorithm>
#include <cerrno>
#include <cwctype>
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

std::string HostCurrentFolder()
{
    char buffer[4096];
    return getcwd(buffer, sizeof(buffer)) ? buffer : "/";
}

std::mutex g_currentMutex;
std::string g_currentHost;      // the host folder SetCurrentDirectoryW made current
std::wstring g_currentWindows;  // the name it was given

} // namespace

std::wstring CurrentWindowsFolder()
{
    const std::string host = HostCurrentFolder();
    std::lock_guard<std::mutex> lock(g_currentMutex);
    return host == g_currentHost ? g_currentWindows : WindowsPath(host);
}

bool ChangeCurrentFolder(const std::wstring& windowsPath, const std::string& hostFolder)
{
    if (chdir(hostFolder.c_str()) != 0)
        return false;
    std::wstring name = FullWindowsPath(windowsPath);
    if (name.size() > 3 && name.back() == L'\\')
        name.pop_back();
    std::lock_guard<std::mutex> lock(g_currentMutex);
    g_currentHost = HostCurrentFolder();
    g_currentWindows = name;
    return true;
}

std::wstring FullWindowsPath(const std::wstring& path)
{
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
    if (StartsWith(p, L"\\"))
        return Fold(L"\\", p);
    return FullWindowsPath(CurrentWindowsFolder() + L"\\" + p);
}

std::string ResolvePath(LPCWSTR path)
{
    std::string host;
    if (path && *path) {
        const std::wstring full = FullWindowsPath(path);
        if (!StartsWith(full, L"\\\\"))
            host = HostPath(full);
    }
    if (host.empty())
        SetLastError(ERROR_PATH_NOT_FOUND);
    return host;
}

std::string ParentFolder(const std::string& hostPath)
{
    const size_t slash = hostPath.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : hostPath.substr(0, slash);
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
