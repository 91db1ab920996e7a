// The new content of a file is written into a draft beside it, in the file's folder held open, and
// the draft then takes the file's name in one step: a kill or a full disk at any moment leaves the
// old file or the new one, whole. Where the file system allows it the draft has no name until it
// is whole (O_TMPFILE), so a killed save leaves nothing behind; elsewhere it is made create-new,
// never through a link, under a name nobody can guess, and the drafts that killed saves left in
// a folder are removed at a later save there.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>

namespace platform {

class CDraftFile {
public:
    // Makes a draft in the folder held by folderFd (which stays the caller's and must stay open
    // while the draft lives), readable and writable, with the mode a new file gets. Not open, with
    // errno set, when none can be made.
    explicit CDraftFile(int folderFd);
    // A draft that did not take its name is removed.
    ~CDraftFile();
    CDraftFile(const CDraftFile&) = delete;
    CDraftFile& operator=(const CDraftFile&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    int Descriptor() const { return fd_; }

    // Gives the draft the name in its folder: in place of what the name holds when replace is set
    // (a link there is replaced, never followed), else only while the name is free (EEXIST). False
    // with errno set, the draft then still unplaced.
    bool PutInPlace(const std::string& name, bool replace);

private:
    // Names the unnamed draft under a new name nobody can guess; false with errno set.
    bool GiveDraftName();

    int folder_;
    int fd_ = -1;
    std::string name_; // "" while the draft has no name
    bool placed_ = false;
};

// Writes all the bytes to the descriptor, going on after a short write; false with errno set
// (ENOSPC for a write that took nothing).
bool WriteWhole(int fd, const char* data, size_t size);
inline bool WriteWhole(int fd, const std::string& bytes) { return WriteWhole(fd, bytes.data(), bytes.size()); }

// What tests change: whether a draft may be made without a name, how old a named draft must be
// for a save to take it for one that a killed save left behind, and a call made once a draft is
// whole, just before it takes its name (where a test stops or kills the saving process).
struct DraftTestSettings {
    bool unnamedAllowed = true;
    std::chrono::seconds leftBehindAfter {60};
    void (*beforePlacing)() = nullptr;
};
void SetDraftTestSettings(const DraftTestSettings& settings);

} // namespace platform
