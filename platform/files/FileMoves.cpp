// Moving, renaming and copying files.
#include "DosAttributeStore.h"
#include "Drives.h"
#include "FileObject.h"
#include "FilePaths.h"
#include "FileStatus.h"
#include "HostNames.h"
#include "ShareModes.h"

#include "core/DraftFile.h"

#include "platform/Machine.h"
#include "platform/Text.h"
#include "platform/win/Errors.h"
#include "platform/win/Files.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace platform::files;

bool platform::files::PutInPlace(int fromFolder, const char* from, const Place& target, bool replace)
{
    const int toFolder = target.parent->Fd();
    const char* to = target.name.c_str();
    if (replace)
        return renameat(fromFolder, from, toFolder, to) == 0;
    if (renameat2(fromFolder, from, toFolder, to, RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    struct stat st {};
    if (fstatat(toFolder, to, &st, AT_SYMLINK_NOFOLLOW) == 0) {
        errno = EEXIST;
        return false;
    }
    return renameat(fromFolder, from, toFolder, to) == 0;
}

namespace {

constexpr size_t kCopyChunk = 256 * 1024;

bool SameFile(const FileStatus& a, const FileStatus& b) { return a.device == b.device && a.inode == b.inode; }

bool CopyData(int from, int to)
{
    std::vector<char> buffer(kCopyChunk);
    for (;;) {
        const ssize_t n = read(from, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        if (!platform::WriteWhole(to, buffer.data(), static_cast<size_t>(n)))
            return false;
    }
}

// Copies the file's data, times, permissions and Windows attributes into a draft beside the target
// and then puts it in place, so that a failed or killed copy leaves neither a partial target nor a
// lost one. The copy is the caller's file: it takes read, write and run bits only, never the
// source's set-id or sticky bits. Only a plain file is copied, opened without waiting.
bool CopyContents(const Place& source, const Place& target, bool replace)
{
    const int from = source.Open(O_RDONLY | O_NONBLOCK | O_NOCTTY);
    if (from < 0)
        return FailFromErrno(source);
    // The source is read with its own place's rights, the copy made with the target's.
    const OwnRights rights(target.own);
    struct stat st {};
    FileStatus status;
    if (fstat(from, &st) != 0 || !S_ISREG(st.st_mode) || !StatusOfDescriptor(from, status)) {
        close(from);
        return Fail(ERROR_ACCESS_DENIED);
    }
    platform::CDraftFile draft(target.parent->Fd());
    if (!draft.IsOpen()) {
        const int err = errno;
        close(from);
        errno = err;
        return FailFromErrno(target);
    }
    const int to = draft.Descriptor();
    const timespec times[2] = {st.st_atim, st.st_mtim};
    bool ok = fchmod(to, st.st_mode & 0777) == 0 && CopyData(from, to) && futimens(to, times) == 0 &&
              ApplyAttributes(to, status.attributes) && draft.PutInPlace(target.name, replace);
    const int err = ok ? 0 : errno;
    close(from);
    if (!ok)
        return Fail(err == EEXIST ? ERROR_FILE_EXISTS : platform::ErrorFromErrno(err));
    return true;
}

// The last name of a path as the caller wrote it (a rename that only changes case keeps it).
std::string LastComponent(LPCWSTR path, const std::string& fallback)
{
    const std::wstring full = FullWindowsPath(path);
    std::string name;
    return HostName(full.substr(full.find_last_of(L'\\') + 1), name) && !name.empty() ? name : fallback;
}

// Records a rename for the next start of the machine.
bool RecordPendingRename(LPCWSTR existingFileName, LPCWSTR newFileName)
{
    const std::wstring line = FullWindowsPath(existingFileName) + L"\t" +
                              (newFileName && *newFileName ? FullWindowsPath(newFileName) : std::wstring()) + L"\n";
    const std::string text = platform::ToUtf8(line);
    const std::string path = platform::Machine().root + "/pending-renames.txt";
    // the machine's user writes the machine root: a link, FIFO or device there is no record
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY, 0644);
    struct stat st {};
    if (fd < 0 && (errno == ELOOP || errno == ENXIO))
        return Fail(ERROR_ACCESS_DENIED);
    if (fd < 0)
        return FailFromErrno(path);
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return Fail(ERROR_ACCESS_DENIED);
    }
    const bool written = platform::WriteWhole(fd, text.data(), text.size());
    close(fd);
    return written || FailFromErrno(path);
}

// Checks that target may take the source's place; false with the last error set when it may not.
bool TargetAllows(const FileStatus& source, const Place& target, const FileStatus& existing, bool replace)
{
    if (!replace)
        return Fail(ERROR_ALREADY_EXISTS);
    if ((existing.attributes & FILE_ATTRIBUTE_DIRECTORY) || source.directory ||
        (existing.attributes & FILE_ATTRIBUTE_READONLY) || HeldAgainstDelete(target, existing))
        return Fail(ERROR_ACCESS_DENIED);
    return !RefuseWhenWriteProtected(target);
}

} // namespace

BOOL MoveFileExW(LPCWSTR existingFileName, LPCWSTR newFileName, DWORD flags)
{
    const platform::OneLookAtChanges look;
    if (flags & MOVEFILE_DELAY_UNTIL_REBOOT) {
        if ((flags & MOVEFILE_COPY_ALLOWED) || !existingFileName || !*existingFileName)
            return Fail(ERROR_INVALID_PARAMETER);
        return RecordPendingRename(existingFileName, newFileName);
    }
    if (!newFileName)
        return Fail(ERROR_INVALID_PARAMETER);
    Place source;
    if (!ResolvePath(existingFileName, source))
        return FALSE;
    FileStatus status;
    if (!StatusOfPlace(source, status))
        return FailFromErrno(source);
    Place target;
    if (!ResolvePath(newFileName, target) || RefuseWhenWriteProtected(source) ||
        RefuseWhenWriteProtected(target))
        return FALSE;
    if (source.name == "." || target.name == ".")
        return Fail(ERROR_ACCESS_DENIED);
    if (!target.parent)
        return Fail(ERROR_PATH_NOT_FOUND);
    if (HeldAgainstDelete(source, status))
        return Fail(ERROR_SHARING_VIOLATION);
    // A rename changes both folders; it never follows a link at either name.
    std::optional<OwnRights> rights;
    rights.emplace(source.own || target.own);
    FileStatus existing;
    const bool replace = flags & MOVEFILE_REPLACE_EXISTING;
    const bool targetFound = target.exists && StatusOfPlace(target, existing);
    if (targetFound && SameFile(status, existing))
        target.name = LastComponent(newFileName, target.name);
    const bool targetExists = targetFound && !SameFile(status, existing);
    if (targetExists && !TargetAllows(status, target, existing, replace))
        return FALSE;
    if (PutInPlace(source.parent->Fd(), source.name.c_str(), target, replace)) {
        if (targetExists && existing.links <= 1)
            DosAttributeStore::Forget(existing.Id());
        return TRUE;
    }
    if (errno != EXDEV)
        return errno == EEXIST ? Fail(ERROR_ALREADY_EXISTS) : FailFromErrno(target);
    if (!(flags & MOVEFILE_COPY_ALLOWED) || (status.attributes & FILE_ATTRIBUTE_DIRECTORY))
        return Fail(ERROR_NOT_SAME_DEVICE);
    rights.reset();
    if (!CopyContents(source, target, replace))
        return FALSE;
    rights.emplace(source.own);
    if (unlinkat(source.parent->Fd(), source.name.c_str(), 0) != 0)
        return FailFromErrno(source);
    DosAttributeStore::Forget(status.Id());
    return TRUE;
}

BOOL MoveFileW(LPCWSTR existingFileName, LPCWSTR newFileName)
{
    return MoveFileExW(existingFileName, newFileName, MOVEFILE_COPY_ALLOWED);
}

BOOL CopyFileW(LPCWSTR existingFileName, LPCWSTR newFileName, BOOL failIfExists)
{
    const platform::OneLookAtChanges look;
    Place source;
    if (!ResolvePath(existingFileName, source))
        return FALSE;
    const int probe = source.Open(O_PATH);
    struct stat st {};
    const bool known = probe >= 0 && fstat(probe, &st) == 0;
    if (probe >= 0)
        close(probe);
    if (!known)
        return FailFromErrno(source);
    if (!S_ISREG(st.st_mode))
        return Fail(ERROR_ACCESS_DENIED);
    Place target;
    if (!ResolvePath(newFileName, target))
        return FALSE;
    if (!target.parent || target.name == ".")
        return Fail(target.parent ? ERROR_ACCESS_DENIED : ERROR_PATH_NOT_FOUND);
    FileStatus existing;
    if (StatusOfPlace(target, existing)) {
        if (failIfExists)
            return Fail(ERROR_FILE_EXISTS);
        if (existing.device == st.st_dev && existing.inode == st.st_ino)
            return Fail(ERROR_SHARING_VIOLATION);
        if (existing.attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN))
            return Fail(ERROR_ACCESS_DENIED);
    }
    if (RefuseWhenWriteProtected(target))
        return FALSE;
    return CopyContents(source, target, !failIfExists);
}
