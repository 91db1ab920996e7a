// The walk of one of a rule's folders: every entry listed once, links and mount points neither
// entered nor taken, files newer than the rule's age left out. The rule's folder is reached from
// its drive down as its resolution recorded it, and each folder below is opened relative to the
// folder above it, held by handle, and listed through its own handle once that shows the folder its
// parent listed; files are not opened: the listing tells size, times, attributes and file index.
// Folders below the first are listed by a few threads at once; only the calling thread asks
// whether to go on.
#pragma once

#include "JunkFindings.h"
#include "JunkRule.h"

#include "common/HeldFolder.h"

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

class CFolderWalk {
public:
    // Asked on the calling thread now and then during the walk; false ends it.
    using KeepGoing = std::function<bool()>;

    CFolderWalk(const JunkRule& rule, uint64_t now, KeepGoing keepGoing);

    // Adds what the rule finds below the folder (its way down from its drive) to the findings, in no
    // particular order; false when the walk was ended.
    bool Walk(const FolderChain& folder, JunkFindings& findings);

private:
    using HeldPtr = std::shared_ptr<const CHeldFolder>;

    struct Listing {
        std::vector<std::pair<std::wstring, uint64_t>> folders;  // name and file index
        std::vector<FoundFile> files;
        uint64_t size = 0;
        DWORD volume = 0;       // of the folder listed
        uint64_t fileIndex = 0;
        HeldPtr held;           // the folder listed, in which its folders are opened
    };
    // A folder to list, with the folder holding it, held until the folder is opened.
    struct Queued {
        uint32_t index;
        HeldPtr parent;
    };

    // One held folder's entries, without the lock; false when keepGoing, which only the calling
    // thread may ask (mayAsk), said no on the way. The folder is that of the findings' folder index.
    bool List(HeldPtr held, const FoundFolder& folder, uint32_t index, Listing& listing, bool mayAsk) const;
    bool IsOldEnough(const FILETIME& lastWrite) const;
    // Lists queued folders until none is left or the walk ends; the caller also asks keepGoing.
    void Work(bool caller);
    // With the lock held: the folder's entries join the findings, its folders the queue.
    void Merge(uint32_t index, Listing& listing);
    void AskWhetherToGoOn(std::unique_lock<std::mutex>& lock);

    const JunkRule& rule_;
    uint64_t newestTaken_;
    KeepGoing keepGoing_;

    std::mutex lock_;
    std::condition_variable changed_;
    JunkFindings* findings_ = nullptr;
    std::vector<Queued> queued_;
    size_t listing_ = 0;          // folders being listed right now
    uint64_t entries_ = 0;        // listed so far
    uint64_t entriesAsked_ = 0;   // listed when keepGoing was last asked
    bool stopped_ = false;
    bool outOfMemory_ = false;
};
