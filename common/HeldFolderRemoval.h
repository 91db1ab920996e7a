// Removing what a held folder holds, each entry by its own handle: a folder is emptied only
// through a handle that has shown a real folder, so that a link, even one swapped in since the
// listing, is removed itself and never followed.
#pragma once

#include "common/HeldFolder.h"

#include <string>

// The entry's name as a listing gives it.
inline std::wstring EntryName(const FILE_ID_BOTH_DIR_INFO& found)
{
    return std::wstring(found.FileName, found.FileNameLength / sizeof(WCHAR));
}

// A read-only entry cannot be deleted: its attribute goes first, by the handle that deletes it.
void ClearReadOnly(HANDLE entry, const BY_HANDLE_FILE_INFORMATION& information);

// Removes everything in the held folder; what cannot be removed stays.
void EmptyHeldFolder(const CHeldFolder& folder);

// Removes the entry of the held folder, a real folder with everything in it.
CHeldFolder::Deletion RemoveHeldEntry(const CHeldFolder& folder, const std::wstring& name);

// Whether the entry is gone now, removed or never there.
inline bool IsRemoved(CHeldFolder::Deletion deletion)
{
    return deletion == CHeldFolder::Deletion::Deleted || deletion == CHeldFolder::Deletion::Gone;
}
