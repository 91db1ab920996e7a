// The removal of what one rule found. Each folder is reached again by handle, from its drive's
// folder down (CFoundFolders), and kept only when its handle and those of every folder above it
// show the folders the analysis listed (no link or mount point); its files are opened relative to
// that handle, never by a path walked again, and each is deleted by its own handle
// once that handle shows the file the analysis listed (file index, size, creation and write
// times). A file that is another one now, is in use or is denied stays and is counted, and so do
// the files of a folder that cannot be held; a file that vanished from its held folder is forgotten. Only what was deleted counts as removed. Folders that this removal
// emptied go too, by their own handles; the rule's own folders never. Files are removed by a few
// threads at once, a folder's run of files at a time; only the calling thread asks whether to go on.
#pragma once

#include "FoundFolders.h"
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

    // A run of files of one folder, [first, end).
    struct Turn {
        size_t first;
        size_t end;
    };

    // Removes the files of a turn, their folder held open meanwhile; held is the folder of the
    // thread's turn before, kept until this turn's is reached so that the folders above both stay
    // held.
    void RemoveTurn(const JunkFindings& findings, const Turn& turn, CFoundFolders::NodePtr& held);
    // Takes turns until none is left or the removal ends.
    void Work(const JunkFindings& findings, bool caller);
    void RemoveEmptiedFolders(const JunkFindings& findings);

    KeepGoing keepGoing_;
    std::unique_ptr<CFoundFolders> folders_;
    std::vector<Turn> turns_;
    std::vector<bool> emptied_;       // per folder: a file or folder in it was removed
    std::vector<Verdict> verdicts_;   // per file; each written by the one thread that took it
    std::atomic<size_t> next_{0};
    std::atomic<bool> ended_{false};
};
