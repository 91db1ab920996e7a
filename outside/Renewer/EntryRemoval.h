// Removing what an install made, each entry by its own handle: a folder is listed only through its
// handle once that handle has shown a real folder, so that a link, even one swapped in since the
// listing, is removed itself and never followed.
#pragma once

#include "common/HeldFolder.h"

#include <string>

// A read-only entry cannot be deleted: its attribute goes first, by the handle that deletes it.
void ClearReadOnly(HANDLE entry, const BY_HANDLE_FILE_INFORMATION& information);

// Removes the entry of the held folder, a real folder with everything in it.
CHeldFolder::Deletion RemoveEntry(const CHeldFolder& folder, const std::wstring& name);

// Removes everything in the held folder.
void Empty(const CHeldFolder& folder);

// The entry's name as a listing gives it.
std::wstring NameOf(const FILE_ID_BOTH_DIR_INFO& found);
