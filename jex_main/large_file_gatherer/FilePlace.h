// Where a found file lies, as the scan's listing told it: its folder's way down from the drive,
// each folder on it known by its volume and file index, and the file's own name, volume and file
// index. The file is reached again only that way, so that a folder on its path that another user
// swapped for a link since the scan leads nowhere.
#pragma once

#include "common/FolderChain.h"

#include <memory>
#include <string>

// A folder's way down from its drive: the folder itself, and the way to the folder holding it
// (none for the drive's folder). The folders below one folder share its way, so that a scan keeps
// one record per folder, not one per folder and file.
class CFolderWay {
public:
    CFolderWay(std::shared_ptr<const CFolderWay> above, FolderLink link)
        : above_(std::move(above)), link_(std::move(link))
    {
    }
    // Lets go of a long way one folder after the other, not by recursion.
    ~CFolderWay();
    CFolderWay(const CFolderWay&) = delete;
    CFolderWay& operator=(const CFolderWay&) = delete;

    const FolderLink& Link() const { return link_; }
    // The folders from the drive's folder down to this one.
    FolderChain Chain() const;

private:
    std::shared_ptr<const CFolderWay> above_;
    FolderLink link_;
};

using FolderWayPtr = std::shared_ptr<const CFolderWay>;

// The way to the folder the link names in the folder above.
FolderWayPtr WayBelow(FolderWayPtr above, FolderLink link);
// The way of a recorded chain, or null for an empty one.
FolderWayPtr WayOf(const FolderChain& chain);

struct FilePlace {
    FolderWayPtr folder;
    std::wstring name;
    DWORD volume = 0;
    uint64_t fileIndex = 0;
};

// Opens the file of the place again for its deletion, with DELETE and FILE_READ_ATTRIBUTES, as
// itself (a link is not followed); its folder reached from the drive down with each folder checked
// to be the one recorded. Null with the Windows error: ERROR_FILE_NOT_FOUND or ERROR_PATH_NOT_FOUND
// when it or a folder on the way is gone, ERROR_DIRECTORY when a folder on the way is not the one
// recorded or cannot be entered. Whether the file is the one recorded is for the caller to check
// by the handle.
HANDLE OpenPlaceForDeletion(const FilePlace& place, DWORD& error);
