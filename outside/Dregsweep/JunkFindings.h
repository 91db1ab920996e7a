// What one rule found at the last analysis: the folders walked and the junk files in them, each
// folder and file with what the listing said about it (its volume and file index among it) so that
// its removal can tell by a handle that it is still the very same one.
#pragma once

#include "common/FolderChain.h"
#include "platform/Windows.h"

#include <cstdint>
#include <string>
#include <vector>

struct FoundFolder {
    static constexpr uint32_t kNoParent = UINT32_MAX;

    std::wstring path;              // a full Windows path
    uint32_t parent = kNoParent;    // kNoParent for the rule's own folders, which are never removed
    bool whole = false;             // the folder matched the rule's patterns: all of it is junk
    DWORD volume = 0;               // the volume serial of the folder and the files in it
    uint32_t chain = 0;             // for the rule's own folders: their way down, in the chains
    uint64_t fileIndex = 0;
};

struct FoundFile {
    uint32_t folder = 0;
    std::wstring name;
    uint64_t size = 0;
    FILETIME creation{};
    FILETIME lastWrite{};
    uint64_t fileIndex = 0;
};

// Each folder below a rule's own is reached through the folder above it, held by handle; the rule's
// own folders from their drives' folders down, each folder on the way as it was recorded.
struct JunkFindings {
    std::vector<FolderChain> chains;
    std::vector<FoundFolder> folders;
    std::vector<FoundFile> files;
    uint64_t size = 0;

    std::wstring PathOf(const FoundFile& file) const { return folders[file.folder].path + L"\\" + file.name; }
};

inline uint64_t TicksOf(const FILETIME& time)
{
    return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}
