// The walk of a file-system folder with the folders below it listed on several threads ahead of
// it: each folder's entries in the order the file system lists them, each folder entered where it
// stands when the folder step agrees, links and mount points never entered. The first folder is
// reached from its drive down, and each folder below is opened relative to the folder holding it,
// held by handle and listed through that handle once it shows the very folder its holder listed;
// a folder that cannot be held so is walked as an empty one. The listing tells each file's size,
// times, attributes and file index, so that no file is opened to learn where it lies. Listing
// ahead changes what the walk meets only for a tree that changes while it is walked, as any walk
// of a changing tree may.
#pragma once

#include "FilePlace.h"
#include "ShellItemProc.h"
#include "WorkerThreads.h"

#include "common/HeldFolder.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class CFolderListing {
public:
    // Listing threads act as the token's user when there is one.
    explicit CFolderListing(HANDLE userToken);
    ~CFolderListing();
    CFolderListing(const CFolderListing&) = delete;
    CFolderListing& operator=(const CFolderListing&) = delete;

    // False when the file step ended the walk.
    bool Walk(const std::wstring& root, const CShellItemProc::FileStep& fileStep,
              const CShellItemProc::FolderStep& folderStep);

private:
    struct Entry {
        std::wstring name;
        DWORD attributes;
        FILETIME creation;
        FILETIME lastAccess;
        FILETIME lastWrite;
        uint64_t size;
        DWORD reparseTag;
        uint64_t fileIndex;
    };
    struct Folder {
        enum class State { Queued, Listing, Listed };

        std::wstring path;
        std::wstring name;                           // in the folder holding it; none for the first
        uint64_t fileIndex = 0;                      // as the folder holding it listed it
        std::shared_ptr<const CHeldFolder> holder;   // held until this folder is opened
        FolderWayPtr way;                            // the holder's way, then, once held, its own
        DWORD volume = 0;
        State state = State::Queued;
        bool listedAhead = false;
        bool forgotten = false;  // passed by without being entered
        std::vector<Entry> entries;
        std::vector<std::shared_ptr<Folder>> subfolders;  // by entry: the folders that may be entered
    };
    using FolderPtr = std::shared_ptr<Folder>;

    static void List(Folder& folder);
    // The folder held: the first reached from its drive down, the others in their holders.
    static std::shared_ptr<const CHeldFolder> Hold(Folder& folder);
    static WIN32_FIND_DATAW FindData(const Entry& entry);
    void Work();
    // With the lock held: the folder is listed; its subfolders wait for a lister, first one on top.
    void Listed(const FolderPtr& folder, bool ahead);
    // The folder once listed; listed here and now when no lister has taken it yet.
    Folder& Await(const FolderPtr& folder);
    // A folder the walk passes by: no lister need list it, and it holds neither room ahead nor
    // its holder's handle.
    void Forget(Folder& folder);

    std::mutex lock_;
    std::condition_variable work_;    // folders queued, room ahead, or stopping
    std::condition_variable listed_;  // a folder being listed is in
    std::vector<FolderPtr> queued_;   // taken from the back
    size_t ahead_ = 0;                // folders listed ahead and not yet reached
    bool stopping_ = false;
    CWorkerThreads listers_;
};
