// A folder's way down from its drive's folder: each folder on the way opened by handle relative to
// the one above it, refusing links and mount points, and known by its volume and file index. What a
// listing found is reached again only this way, each folder checked to be the one recorded, so that
// no name on the way that another user swapped for a link since can lead elsewhere.
#pragma once

#include "platform/Windows.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct FolderLink {
    std::wstring name;      // the drive's folder ("C:\") first, then one folder's name each
    DWORD volume = 0;
    uint64_t fileIndex = 0;
};

using FolderChain = std::vector<FolderLink>;

namespace folder_chain {

// How a held folder is opened: for listing and asking, shared with every other opener.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr DWORD kHoldAccess = FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES;

// Whether an open failed because the name is not there (any more).
inline bool IsGone(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

struct HandleClose {
    void operator()(void* handle) const { CloseHandle(handle); }
};
// A folder held open for listing and for opening names relative to it.
using Held = std::unique_ptr<void, HandleClose>;

// Opens one name of an open folder relative to its handle, never following a link (a link or mount
// point opens as itself); options and attributes as NtOpenFile takes them. Null with the Windows
// error in error.
HANDLE OpenEntry(HANDLE folder, const std::wstring& name, DWORD access, ULONG options, ULONG attributes, DWORD& error);
// Makes or opens one name of an open folder relative to its handle as NtCreateFile's disposition
// says, never through a link; options, file attributes and object attributes as NtCreateFile takes
// them. Null with the Windows error in error.
HANDLE CreateEntry(HANDLE folder, const std::wstring& name, DWORD access, ULONG disposition, ULONG options,
                   DWORD fileAttributes, ULONG attributes, DWORD& error);

// Holds the drive's folder (parent null, link.name "C:\") or the folder of that name in a held one
// (its case ignored where no name of that case exists), once its handle shows a real folder, and,
// where link's file index is not 0, the folder of that volume and file index. link takes what the
// handle tells. Null with the Windows error: ERROR_PATH_NOT_FOUND when it is missing,
// ERROR_DIRECTORY when its handle shows a link, mount point, file or another folder, any other
// when it could not be opened as a folder (a link is refused so).
Held Open(HANDLE parent, FolderLink& link, DWORD& error);

// Records the way down to the folder of a full drive path ("C:\a\b", no "." or ".." in it); the
// folder held, or null with the Windows error as Open gives it.
Held Record(const std::wstring& path, FolderChain& chain, DWORD& error);
// Appends the folder of that name in the chain's last folder, held as parent; the folder held.
Held Extend(HANDLE parent, const std::wstring& name, FolderChain& chain, DWORD& error);
// Reaches the chain's last folder again from the drive down, each folder on the way checked to be
// the one recorded; null with the Windows error as Open gives it.
Held Reach(const FolderChain& chain, DWORD& error);

// The chain's Windows path.
std::wstring PathOf(const FolderChain& chain);

inline uint64_t FileIndexOf(const BY_HANDLE_FILE_INFORMATION& information)
{
    return (static_cast<uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow;
}

// Whether a handle's information shows the file a listing gave: that volume and file index, and
// neither folder nor link.
inline bool IsListedFile(const BY_HANDLE_FILE_INFORMATION& information, DWORD volume, uint64_t fileIndex)
{
    return !(information.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) &&
           information.dwVolumeSerialNumber == volume && FileIndexOf(information) == fileIndex;
}

} // namespace folder_chain
