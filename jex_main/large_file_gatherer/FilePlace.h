// Where a found file lies, as the scan recorded it: its folder's way down from the drive, each
// folder on it known by its volume and file index, and the file's own name, volume and file index.
// The file is reached again only that way, so that a folder on its path that another user swapped
// for a link since the scan leads nowhere.
#pragma once

#include "common/FolderChain.h"

#include <memory>
#include <string>

struct FilePlace {
    std::shared_ptr<const FolderChain> folder;  // null: the scan could not reach the file by handles
    bool gone = false;                          // it, or a folder on its way, was gone when recorded
    std::wstring name;
    DWORD volume = 0;
    uint64_t fileIndex = 0;
};

// Records the places of the files one scan finds; files of one folder share its record, and the
// last folder stays held for the next file.
class CFilePlaces {
public:
    // The place of a listed file: its folder reached by handles from the drive down, and the file
    // opened in it as itself, where it is still a plain file of the size and last-write time
    // listed; a place without folder otherwise, marked gone where the file or a folder on the way
    // was missing.
    FilePlace Record(const std::wstring& path, const WIN32_FIND_DATAW& data);

private:
    std::wstring folderPath_;
    std::shared_ptr<const FolderChain> chain_;
    folder_chain::Held held_;
};

// Opens the file of the place again for its deletion, with DELETE and FILE_READ_ATTRIBUTES, as
// itself (a link is not followed); its folder reached from the drive down with each folder checked
// to be the one recorded. Null with the Windows error: ERROR_FILE_NOT_FOUND or ERROR_PATH_NOT_FOUND
// when it or a folder on the way is gone, or was when the place was recorded, ERROR_DIRECTORY when a folder on the way is not the one
// recorded or cannot be entered. Whether the file is the one recorded is for the caller to check by the handle.
HANDLE OpenPlaceForDeletion(const FilePlace& place, DWORD& error);
