// The removal of what one rule found. Each file is looked at again just before it goes: it must
// still lie in a plain folder below the rule's folder (no link or mount point on the way), still be
// a regular file and still be the file the analysis listed (size, creation and write times). A file
// that changed, is in use or is denied stays and is counted; one that vanished is forgotten.
// Folders that the removal emptied go too, the rule's own folders never. Files are removed by a
// few threads at once; only the calling thread asks whether to go on.
#pragma once

#include "JunkFindings.h"

#include <atomic>
#include <functional>

class CJunkRemoval {
public:
    using KeepGoing = std::function<bool()>;

    struct Outcome {
        uint64_t removedSize = 0;
        uint64_t removedFiles = 0;
        uint64_t skippedFiles = 0;
        uint64_t vanishedSize = 0;
        bool ended = false;  // keepGoing said no: the files not reached stay
    };

    explicit CJunkRemoval(KeepGoing keepGoing) : keepGoing_(std::move(keepGoing)) {}

    // The findings keep the files that stay.
    Outcome Remove(JunkFindings& findings);

private:
    enum class Verdict : unsigned char { NotReached, Removed, Skipped, Vanished };

    static Verdict RemoveFile(const JunkFindings& findings, const FoundFile& file, bool folderIsPlain);
    // Removes files in turns of a few until none is left or the removal ends.
    void Work(const JunkFindings& findings, bool caller);
    bool FolderIsPlain(const JunkFindings& findings, uint32_t folder);
    void RemoveEmptiedFolders(const JunkFindings& findings);

    KeepGoing keepGoing_;
    std::vector<signed char> plain_;  // per folder: -1 not looked at yet, 0 no, 1 yes
    std::vector<bool> emptied_;       // per folder: a file or folder in it was removed
    std::vector<Verdict> verdicts_;   // per file; each written by the one thread that took it
    std::atomic<size_t> next_{0};
    std::atomic<bool> ended_{false};
};
