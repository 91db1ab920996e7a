// The object behind a file or folder handle from CreateFileW.
#pragma once

#include "PathResolver.h"

#include "platform/win/Files.h"
#include "platform/win/Handles.h"

#include <atomic>
#include <dirent.h>
#include <memory>
#include <mutex>
#include <string>
#include <sys/types.h>

namespace platform::files {

struct FileStatus;

// The access rights that read, change or delete a file's data, generic rights included.
constexpr DWORD kReadRights = GENERIC_READ | GENERIC_ALL | GENERIC_EXECUTE | FILE_READ_DATA | FILE_EXECUTE;
constexpr DWORD kWriteRights = GENERIC_WRITE | GENERIC_ALL | FILE_WRITE_DATA | FILE_APPEND_DATA;
constexpr DWORD kDeleteRights = DELETE | GENERIC_ALL;

class FileObject final : public KernelObject {
public:
    // Takes the descriptor over. access is the Windows access asked for (generic rights included);
    // place is where the file was opened.
    FileObject(int fd, Place place, DWORD access, DWORD shareMode);
    ~FileObject() override;
    FileObject(const FileObject&) = delete;
    FileObject& operator=(const FileObject&) = delete;

    // Joins the open files of the machine's processes when the sharing modes of all allow it;
    // false otherwise. readable: the descriptor was opened for reading.
    bool JoinOpenFiles(bool readable);
    // Deletes the name when the handle closes, or takes that back.
    void DeleteOnClose(bool deletes = true) { deleteOnClose_ = deletes; }
    // Removes the opened file (or empty folder) from the folder the open went through, where the
    // name it was opened through still names it; false with the last error set.
    bool DeleteNow();
    // Moves the opened file (or folder) to target, in its place where replace is set (a folder is
    // never replaced), where the name it was opened through still names it; the handle then names it
    // there. False with the last error set.
    bool RenameNow(Place target, bool replace);

    bool Read(void* buffer, DWORD size, DWORD& done) override;
    bool Write(const void* buffer, DWORD size, DWORD& done) override;
    bool Flush() override;

    int Descriptor() const { return fd_; }
    const std::string& Path() const { return place_.host; }
    const Place& Where() const { return place_; }
    // The serial of the drive the file was opened on, looked up once per handle; a name opened
    // in a folder takes the folder's.
    DWORD VolumeSerial();
    void TakeVolumeSerial(DWORD serial) { serial_ = serial; }
    // The handle was opened on a mount point as itself: its status says so.
    void ShowAsMountPoint() { mountPoint_ = true; }
    // The file's status now, kept for the next time; with reuse, read in full only where the
    // inode changed since the status kept (a deletion right after its check reads it once).
    bool Status(FileStatus& status, bool reuse = false);
    // The opened folder as a folder that names are opened in, shared with what is opened there.
    std::shared_ptr<files::Descriptor> AsFolder();
    // The opened folder's entries, read on from where the last call left them (from the first
    // when restart is set); null with errno set when the handle is no folder.
    DIR* Entries(bool restart);
    DWORD Access() const { return access_; }
    bool CanWrite() const;

    // The file object behind a handle; null with ERROR_INVALID_HANDLE set for any other handle.
    static FileObject* FromHandle(HANDLE handle);
    // Whether a handle of this process whose share the kernel could not keep holds the file from
    // being deleted or renamed (it was opened without FILE_SHARE_DELETE).
    static bool HeldAgainstDelete(dev_t device, ino_t inode);

private:
    // Checks that the name the file was opened through still leads to it, then unlinks it.
    bool RemoveOpenedName(const FileStatus& status);
    // Unlinks the name, known to lead to the opened file.
    bool UnlinkOpenedName(const FileStatus& status);

    int fd_;
    int lockFd_ = -1;  // where the share is announced to other processes: fd_, or a descriptor of its own
    Place place_;
    DWORD access_;
    DWORD share_;
    // Only the opens whose share the kernel keeps no lock for are listed, and only they need the
    // file's identity, to be checked against each other.
    dev_t device_ = 0;
    ino_t inode_ = 0;
    bool listed_ = false;
    bool deleteOnClose_ = false;
    bool mountPoint_ = false;
    std::once_flag folderOnce_;
    std::shared_ptr<files::Descriptor> folder_;
    DIR* entries_ = nullptr;
    std::atomic<int64_t> serial_{-1};
    std::mutex statusLock_;
    std::unique_ptr<FileStatus> status_;
};

} // namespace platform::files
