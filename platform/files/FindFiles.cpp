// Enumerating folders: FindFirstFileW and its family, reading the folder as the caller asks.
#include "Drives.h"
#include "FilePaths.h"
#include "FileStatus.h"
#include "FolderCache.h"
#include "HostNames.h"
#include "WildcardPattern.h"

#include "platform/win/Errors.h"
#include "platform/win/Files.h"
#include "platform/win/Handles.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>
#include <sys/stat.h>

namespace platform::files {

namespace {

class FindObject final : public KernelObject {
public:
    FindObject(DIR* dir, std::string folder, dev_t device, int watch, WildcardPattern pattern, bool listsDots)
        : dir_(dir), folder_(std::move(folder)), device_(device), watch_(watch), pattern_(std::move(pattern)),
          dotsLeft_(listsDots ? 2 : 0)
    {
    }
    ~FindObject() override { closedir(dir_); }
    FindObject(const FindObject&) = delete;
    FindObject& operator=(const FindObject&) = delete;

    // The next matching entry; false at the end.
    bool Next(WIN32_FIND_DATAW& data)
    {
        FileStatus status;
        while (dotsLeft_ > 0) {
            const bool self = dotsLeft_-- == 2;
            const std::wstring name = self ? L"." : L"..";
            if (pattern_.Matches(name) && StatusOfDot(self ? "" : "..", status)) {
                Fill(data, name, status);
                return true;
            }
        }
        while (const dirent* entry = readdir(dir_)) {
            if (!std::strcmp(entry->d_name, ".") || !std::strcmp(entry->d_name, ".."))
                continue;
            const std::wstring name = WindowsName(entry->d_name);
            if (pattern_.Matches(name) &&
                StatusOfEntry(dirfd(dir_), device_, folder_, entry->d_name, watch_, status)) {
                Fill(data, name, status);
                return true;
            }
        }
        return false;
    }

private:
    // The status of the folder itself ("") or of its parent (".."), which lies inside the machine
    // as the folder is not the root of a drive or of the program folder.
    bool StatusOfDot(const char* name, FileStatus& status) const
    {
        const int fd = openat(dirfd(dir_), *name ? name : ".", O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            return false;
        const bool known = StatusOfDescriptor(fd, status);
        close(fd);
        return known;
    }

    static void Fill(WIN32_FIND_DATAW& data, const std::wstring& name, const FileStatus& status)
    {
        data = WIN32_FIND_DATAW{};
        data.dwFileAttributes = status.attributes;
        data.ftCreationTime = status.creation;
        data.ftLastAccessTime = status.lastAccess;
        data.ftLastWriteTime = status.lastWrite;
        data.nFileSizeHigh = static_cast<DWORD>(status.size >> 32);
        data.nFileSizeLow = static_cast<DWORD>(status.size);
        data.dwReserved0 = status.reparseTag;
        const size_t length = std::min<size_t>(name.size(), MAX_PATH - 1);
        std::copy(name.begin(), name.begin() + static_cast<std::ptrdiff_t>(length), data.cFileName);
    }

    DIR* dir_;
    std::string folder_;
    dev_t device_;
    int watch_;  // the folder's, so that its entries' attributes are read once while they stay
    WildcardPattern pattern_;
    int dotsLeft_;
};

FindObject* FindObjectOf(HANDLE handle)
{
    auto* find = dynamic_cast<FindObject*>(ObjectOf(handle));
    if (!find)
        SetLastError(ERROR_INVALID_HANDLE);
    return find;
}

} // namespace

} // namespace platform::files

using namespace platform::files;

HANDLE FindFirstFileExW(LPCWSTR fileName, FINDEX_INFO_LEVELS infoLevel, LPVOID findFileData, FINDEX_SEARCH_OPS searchOp,
                        LPVOID searchFilter, DWORD additionalFlags)
{
    if ((infoLevel != FindExInfoStandard && infoLevel != FindExInfoBasic) || !findFileData || searchFilter ||
        searchOp > FindExSearchLimitToDirectories)
        return InvalidHandle(ERROR_INVALID_PARAMETER);
    if (!fileName || !*fileName)
        return InvalidHandle(ERROR_PATH_NOT_FOUND);
    const std::wstring full = FullWindowsPath(fileName);
    const size_t slash = full.find_last_of(L'\\');
    const std::wstring pattern = full.substr(slash + 1);
    if (pattern.empty())
        return InvalidHandle(ERROR_FILE_NOT_FOUND);
    const std::wstring folderName = full.substr(0, slash == 0 || full[slash - 1] == L':' ? slash + 1 : slash);
    Place folder;
    if (!ResolvePath(folderName.c_str(), folder))
        return INVALID_HANDLE_VALUE;
    const int fd = folder.Open(O_RDONLY | O_DIRECTORY);
    struct stat st {};
    DIR* dir = fd >= 0 && fstat(fd, &st) == 0 ? fdopendir(fd) : nullptr;
    if (!dir) {
        const int err = errno;
        if (fd >= 0)
            close(fd);
        return InvalidHandle(err == ENOENT || err == ENOTDIR || err == EXDEV ? ERROR_PATH_NOT_FOUND
                                                                             : platform::ErrorFromErrno(err));
    }
    const bool root = folder.name == ".";
    auto* find = new FindObject(dir, folder.host, st.st_dev, WatchFolder(fd),
                                WildcardPattern(pattern, additionalFlags & FIND_FIRST_EX_CASE_SENSITIVE), !root);
    if (!find->Next(*static_cast<WIN32_FIND_DATAW*>(findFileData))) {
        delete find;
        return InvalidHandle(ERROR_FILE_NOT_FOUND);
    }
    return platform::HandleOf(find);
}

HANDLE FindFirstFileW(LPCWSTR fileName, LPWIN32_FIND_DATAW findFileData)
{
    return FindFirstFileExW(fileName, FindExInfoStandard, findFileData, FindExSearchNameMatch, nullptr, 0);
}

BOOL FindNextFileW(HANDLE findFile, LPWIN32_FIND_DATAW findFileData)
{
    FindObject* find = FindObjectOf(findFile);
    if (!find)
        return FALSE;
    if (!findFileData)
        return Fail(ERROR_INVALID_PARAMETER);
    return find->Next(*findFileData) || Fail(ERROR_NO_MORE_FILES);
}

BOOL FindClose(HANDLE findFile)
{
    return FindObjectOf(findFile) && CloseHandle(findFile);
}
