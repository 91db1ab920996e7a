// Operations on open file handles: position, end, size, times and identity.
#include "Drives.h"
#include "FileObject.h"
#include "FilePaths.h"
#include "FileStatus.h"
#include "FolderCache.h"
#include "HostNames.h"

#include "platform/HostMode.h"
#include "platform/win/Errors.h"
#include "platform/win/Files.h"

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::files {

namespace {

constexpr int64_t kNoLimit = std::numeric_limits<int64_t>::max();

// Moves the file pointer; a position beyond limit is refused before anything moves.
bool Seek(HANDLE handle, int64_t distance, DWORD method, int64_t limit, int64_t& position)
{
    FileObject* file = FileObject::FromHandle(handle);
    if (!file)
        return false;
    const int fd = file->Descriptor();
    int64_t base = 0;
    if (method == FILE_CURRENT) {
        base = lseek(fd, 0, SEEK_CUR);
    } else if (method == FILE_END) {
        struct stat st {};
        base = fstat(fd, &st) == 0 ? st.st_size : -1;
    } else if (method != FILE_BEGIN) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    if (base < 0) {
        platform::SetLastErrorFromErrno();
        return false;
    }
    if (distance > 0 && base > kNoLimit - distance)
        return Fail(ERROR_INVALID_PARAMETER);
    const int64_t target = base + distance;
    if (target < 0)
        return Fail(ERROR_NEGATIVE_SEEK);
    if (target > limit)
        return Fail(ERROR_INVALID_PARAMETER);
    if (lseek(fd, target, SEEK_SET) < 0) {
        platform::SetLastErrorFromErrno();
        return false;
    }
    position = target;
    return true;
}

bool StatusOfHandle(HANDLE handle, FileStatus& status, FileObject** object = nullptr)
{
    FileObject* file = FileObject::FromHandle(handle);
    if (!file)
        return false;
    if (object)
        *object = file;
    if (!file->Status(status)) {
        platform::SetLastErrorFromErrno();
        return false;
    }
    return true;
}

void Split(uint64_t value, DWORD& low, DWORD& high)
{
    low = static_cast<DWORD>(value);
    high = static_cast<DWORD>(value >> 32);
}

// Grows a file to size by reserving its space, as Windows does: a size beyond the drive's free
// space fails with ERROR_DISK_FULL and leaves the file as it was.
bool Grow(const FileObject& file, int64_t oldSize, int64_t size)
{
    DriveSizes sizes;
    if (SizesOf(file.Descriptor(), file.Path(), sizes) && static_cast<uint64_t>(size - oldSize) > sizes.free)
        return Fail(ERROR_DISK_FULL);
    const int fd = file.Descriptor();
    if (fallocate(fd, 0, oldSize, size - oldSize) == 0)
        return true;
    if (errno == EOPNOTSUPP && ftruncate(fd, size) == 0)
        return true;
    const int err = errno;
    if (ftruncate(fd, oldSize) != 0) {
        platform::SetLastErrorFromErrno();
        return false;
    }
    return Fail(err == ENOSPC || err == EFBIG || err == EDQUOT ? ERROR_DISK_FULL : ErrorFromErrno(err));
}

FILETIME FileTime(const LARGE_INTEGER& time)
{
    const auto ticks = static_cast<uint64_t>(time.QuadPart);
    return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

LARGE_INTEGER Large(const FILETIME& time)
{
    LARGE_INTEGER value{};
    value.QuadPart = static_cast<LONGLONG>((static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
    return value;
}

// Fills the buffer with the folder's next entries; false with the last error set when none fits or
// none is left.
bool ListEntries(FileObject& folder, bool restart, void* buffer, DWORD bufferSize)
{
    DIR* entries = folder.Entries(restart);
    struct stat st {};
    if (!entries || fstat(dirfd(entries), &st) != 0) {
        platform::SetLastErrorFromErrno();
        return false;
    }
    const int watch = WatchFolder(dirfd(entries));
    auto* bytes = static_cast<unsigned char*>(buffer);
    size_t used = 0;
    FILE_ID_BOTH_DIR_INFO* previous = nullptr;
    bool full = false;
    for (;;) {
        const long position = telldir(entries);
        errno = 0;
        const dirent* entry = readdir(entries);
        if (!entry)
            break;
        if (!std::strcmp(entry->d_name, ".") || !std::strcmp(entry->d_name, ".."))
            continue;
        FileStatus status;
        if (!StatusOfEntry(dirfd(entries), st.st_dev, folder.Path(), entry->d_name, watch, status))
            continue;  // gone since it was read
        const std::wstring name = WindowsName(entry->d_name);
        const size_t nameBytes = name.size() * sizeof(WCHAR);
        const size_t size = (offsetof(FILE_ID_BOTH_DIR_INFO, FileName) + nameBytes + 7) & ~size_t(7);
        if (used + offsetof(FILE_ID_BOTH_DIR_INFO, FileName) + nameBytes > bufferSize) {
            seekdir(entries, position);
            full = true;
            break;
        }
        auto* info = reinterpret_cast<FILE_ID_BOTH_DIR_INFO*>(bytes + used);
        std::memset(info, 0, offsetof(FILE_ID_BOTH_DIR_INFO, FileName));
        info->CreationTime = Large(status.creation);
        info->LastAccessTime = Large(status.lastAccess);
        info->LastWriteTime = Large(status.lastWrite);
        info->ChangeTime = info->LastWriteTime;
        info->EndOfFile.QuadPart = static_cast<LONGLONG>(status.size);
        info->AllocationSize.QuadPart = static_cast<LONGLONG>(status.size);
        info->FileAttributes = status.attributes;
        info->FileNameLength = static_cast<DWORD>(nameBytes);
        info->EaSize = status.reparseTag;  // Windows tells a reparse point's tag here
        info->FileId.QuadPart = static_cast<LONGLONG>(status.inode);
        std::memcpy(info->FileName, name.data(), nameBytes);
        if (previous)
            previous->NextEntryOffset = static_cast<DWORD>(reinterpret_cast<unsigned char*>(info) -
                                                           reinterpret_cast<unsigned char*>(previous));
        previous = info;
        used += size;
    }
    if (previous)
        return true;
    if (!full && errno != 0) {
        platform::SetLastErrorFromErrno();
        return false;
    }
    return Fail(full ? ERROR_MORE_DATA : ERROR_NO_MORE_FILES);
}

// A null time, or one with all bits set, leaves that time as it is.
bool SetTimes(const FileObject& file, const FILETIME* lastAccessTime, const FILETIME* lastWriteTime)
{
    const auto toTimespec = [](const FILETIME* time) {
        if (!time || (time->dwLowDateTime == 0xFFFFFFFFu && time->dwHighDateTime == 0xFFFFFFFFu))
            return timespec{0, UTIME_OMIT};
        return FromFileTime(*time);
    };
    const timespec times[2] = {toTimespec(lastAccessTime), toTimespec(lastWriteTime)};
    if (futimens(file.Descriptor(), times) != 0) {
        platform::SetLastErrorFromErrno();
        return false;
    }
    return true;
}

bool SetBasicInformation(FileObject& file, const FILE_BASIC_INFO& basic)
{
    if (!(file.Access() & (kWriteRights | FILE_WRITE_ATTRIBUTES)))
        return Fail(ERROR_ACCESS_DENIED);
    if (RefuseWhenWriteProtected(file.Where()))
        return false;
    const FILETIME lastAccess = FileTime(basic.LastAccessTime);
    const FILETIME lastWrite = FileTime(basic.LastWriteTime);
    if ((basic.LastAccessTime.QuadPart || basic.LastWriteTime.QuadPart) &&
        !SetTimes(file, basic.LastAccessTime.QuadPart ? &lastAccess : nullptr,
                  basic.LastWriteTime.QuadPart ? &lastWrite : nullptr))
        return false;
    if (basic.FileAttributes && !ApplyAttributes(file.Descriptor(), basic.FileAttributes)) {
        platform::SetLastErrorFromErrno();
        return false;
    }
    return true;
}

// The rename's target: a single name in the root folder given, or in the file's own folder.
bool Rename(FileObject& file, const FILE_RENAME_INFO& rename, DWORD bufferSize)
{
    constexpr size_t kNameOffset = offsetof(FILE_RENAME_INFO, FileName);
    std::string name;
    if (rename.FileNameLength % sizeof(WCHAR) != 0 || rename.FileNameLength > bufferSize - kNameOffset)
        return Fail(ERROR_INVALID_PARAMETER);
    if (!SingleHostName(rename.FileName, rename.FileNameLength / sizeof(WCHAR), name))
        return Fail(ERROR_INVALID_NAME);
    Place target;
    if (rename.RootDirectory) {
        FileObject* root = FileObject::FromHandle(rename.RootDirectory);
        if (!root)
            return false;
        target = root->Where();
        target.parent = root->AsFolder();
        if (!target.parent)
            return Fail(ERROR_INVALID_HANDLE);
        target.host += "/" + name;
    } else {
        target = file.Where();
        target.host = ParentFolder(target.host) + "/" + name;
    }
    target.name = name;
    target.exists = false;
    target.statusRead = false;
    target.watch = -1;
    return file.RenameNow(std::move(target), rename.ReplaceIfExists);
}

} // namespace

} // namespace platform::files

using namespace platform::files;

BOOL GetFileInformationByHandleEx(HANDLE handle, FILE_INFO_BY_HANDLE_CLASS informationClass, LPVOID information,
                                  DWORD bufferSize)
{
    FileObject* file = FileObject::FromHandle(handle);
    if (!file)
        return FALSE;
    if (!information)
        return Fail(ERROR_INVALID_PARAMETER);
    if (informationClass != FileIdBothDirectoryInfo && informationClass != FileIdBothDirectoryRestartInfo)
        return Fail(ERROR_INVALID_PARAMETER);
    return ListEntries(*file, informationClass == FileIdBothDirectoryRestartInfo, information, bufferSize);
}

BOOL SetFileInformationByHandle(HANDLE handle, FILE_INFO_BY_HANDLE_CLASS informationClass, LPVOID information,
                                DWORD bufferSize)
{
    FileObject* file = FileObject::FromHandle(handle);
    if (!file)
        return FALSE;
    const OwnRights rights(file->Where().own);
    if (informationClass == FileBasicInfo && information && bufferSize >= sizeof(FILE_BASIC_INFO))
        return SetBasicInformation(*file, *static_cast<const FILE_BASIC_INFO*>(information));
    if (informationClass == FileRenameInfo && information && bufferSize >= offsetof(FILE_RENAME_INFO, FileName))
        return Rename(*file, *static_cast<const FILE_RENAME_INFO*>(information), bufferSize);
    if (informationClass != FileDispositionInfo || !information || bufferSize < sizeof(FILE_DISPOSITION_INFO))
        return Fail(ERROR_INVALID_PARAMETER);
    if (!static_cast<const FILE_DISPOSITION_INFO*>(information)->DeleteFile) {
        file->DeleteOnClose(false);
        return TRUE;
    }
    return file->DeleteNow();
}

DWORD SetFilePointer(HANDLE file, LONG distanceToMove, PLONG distanceToMoveHigh, DWORD moveMethod)
{
    // With a high part the distance is 64 bits; without one, the low part alone is signed.
    const uint64_t high = distanceToMoveHigh ? static_cast<uint32_t>(*distanceToMoveHigh) : 0;
    const int64_t distance = distanceToMoveHigh
                                 ? static_cast<int64_t>((high << 32) | static_cast<uint32_t>(distanceToMove))
                                 : distanceToMove;
    int64_t position = 0;
    if (!Seek(file, distance, moveMethod, distanceToMoveHigh ? kNoLimit : 0xFFFFFFFF, position))
        return INVALID_SET_FILE_POINTER;
    if (distanceToMoveHigh)
        *distanceToMoveHigh = static_cast<LONG>(position >> 32);
    SetLastError(NO_ERROR);
    return static_cast<DWORD>(position);
}

BOOL SetFilePointerEx(HANDLE file, LARGE_INTEGER distanceToMove, PLARGE_INTEGER newFilePointer, DWORD moveMethod)
{
    int64_t position = 0;
    if (!Seek(file, distanceToMove.QuadPart, moveMethod, kNoLimit, position))
        return FALSE;
    if (newFilePointer)
        newFilePointer->QuadPart = position;
    return TRUE;
}

BOOL SetEndOfFile(HANDLE handle)
{
    FileObject* file = FileObject::FromHandle(handle);
    if (!file)
        return FALSE;
    if (!file->CanWrite())
        return Fail(ERROR_ACCESS_DENIED);
    const int fd = file->Descriptor();
    struct stat st {};
    const off_t position = lseek(fd, 0, SEEK_CUR);
    if (position < 0 || fstat(fd, &st) != 0) {
        platform::SetLastErrorFromErrno();
        return FALSE;
    }
    if (position > st.st_size)
        return Grow(*file, st.st_size, position);
    if (ftruncate(fd, position) != 0) {
        platform::SetLastErrorFromErrno();
        return FALSE;
    }
    return TRUE;
}

BOOL GetFileSizeEx(HANDLE file, PLARGE_INTEGER fileSize)
{
    FileStatus status;
    if (!fileSize)
        return Fail(ERROR_INVALID_PARAMETER);
    if (!StatusOfHandle(file, status))
        return FALSE;
    fileSize->QuadPart = static_cast<LONGLONG>(status.size);
    return TRUE;
}

DWORD GetFileSize(HANDLE file, LPDWORD fileSizeHigh)
{
    FileStatus status;
    if (!StatusOfHandle(file, status))
        return INVALID_FILE_SIZE;
    DWORD low = 0, high = 0;
    Split(status.size, low, high);
    if (fileSizeHigh)
        *fileSizeHigh = high;
    SetLastError(NO_ERROR);
    return low;
}

BOOL GetFileTime(HANDLE file, LPFILETIME creationTime, LPFILETIME lastAccessTime, LPFILETIME lastWriteTime)
{
    FileStatus status;
    if (!StatusOfHandle(file, status))
        return FALSE;
    if (creationTime)
        *creationTime = status.creation;
    if (lastAccessTime)
        *lastAccessTime = status.lastAccess;
    if (lastWriteTime)
        *lastWriteTime = status.lastWrite;
    return TRUE;
}

BOOL SetFileTime(HANDLE handle, const FILETIME*, const FILETIME* lastAccessTime, const FILETIME* lastWriteTime)
{
    FileObject* file = FileObject::FromHandle(handle);
    if (!file)
        return FALSE;
    if (!(file->Access() & (kWriteRights | FILE_WRITE_ATTRIBUTES)))
        return Fail(ERROR_ACCESS_DENIED);
    const OwnRights rights(file->Where().own);
    return SetTimes(*file, lastAccessTime, lastWriteTime);
}

BOOL GetFileInformationByHandle(HANDLE file, LPBY_HANDLE_FILE_INFORMATION information)
{
    FileStatus status;
    FileObject* object = nullptr;
    if (!information)
        return Fail(ERROR_INVALID_PARAMETER);
    if (!StatusOfHandle(file, status, &object))
        return FALSE;
    information->dwFileAttributes = status.attributes;
    information->ftCreationTime = status.creation;
    information->ftLastAccessTime = status.lastAccess;
    information->ftLastWriteTime = status.lastWrite;
    information->dwVolumeSerialNumber = object->VolumeSerial();
    Split(status.size, information->nFileSizeLow, information->nFileSizeHigh);
    information->nNumberOfLinks = status.links;
    Split(status.inode, information->nFileIndexLow, information->nFileIndexHigh);
    return TRUE;
}

bool platform::TakeHostMode(HANDLE handle, HANDLE from)
{
    FileObject* file = FileObject::FromHandle(handle);
    FileObject* original = file ? FileObject::FromHandle(from) : nullptr;
    if (!original)
        return false;
    const OwnRights rights(file->Where().own);
    struct stat st {};
    // The descriptor's own name in /proc reaches the opened file itself, a descriptor that only
    // names its file included.
    if (fstat(original->Descriptor(), &st) != 0 || chmod(PathOf(file->Descriptor()).c_str(), st.st_mode & 0777) != 0) {
        platform::SetLastErrorFromErrno();
        return false;
    }
    return true;
}
