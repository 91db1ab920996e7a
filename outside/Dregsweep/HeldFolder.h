// A folder of the findings held open by its handle once the handle has shown it to be the folder
// the analysis listed (its volume and file index) and a real folder, neither link nor mount point.
// Its entries are then opened relative to that handle, so that no path is walked again through a
// name that another process may have swapped for a link since.
#pragma once

#include "JunkFindings.h"

class CHeldFolder {
public:
    enum class State : unsigned char { Held, Gone, Changed, Denied };
    enum class Deletion : unsigned char { Deleted, Gone, Changed, Denied };

    // Opens the folder at path; a folder with a file index recorded must be that folder, one
    // without is taken as it is (and its volume and file index can be recorded).
    CHeldFolder(const std::wstring& path, DWORD volume, uint64_t fileIndex);
    ~CHeldFolder();
    CHeldFolder(const CHeldFolder&) = delete;
    CHeldFolder& operator=(const CHeldFolder&) = delete;

    State GetState() const { return state_; }
    HANDLE Handle() const { return handle_; }
    DWORD Volume() const { return volume_; }
    uint64_t FileIndex() const { return fileIndex_; }

    // Opens one name of the folder, never following a link; null with the Windows error in error.
    HANDLE OpenEntry(const std::wstring& name, DWORD access, ULONG options, DWORD& error) const;
    // Deletes the entry name by its own handle when that handle shows the expected file: neither
    // link nor mount point, of this folder's volume, with that file index, and where wanted is
    // given the size and times it had; a folder goes only when empty.
    Deletion DeleteEntry(const std::wstring& name, bool folder, uint64_t fileIndex, const FoundFile* wanted) const;

private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
    State state_ = State::Denied;
    DWORD volume_ = 0;
    uint64_t fileIndex_ = 0;
};
