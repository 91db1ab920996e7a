// The walk of a file-system folder with the folders below it listed on several threads ahead of
// it. The walk itself goes as WalkFileSystemFolder's does: each folder's entries in the order the
// file system lists them, each folder entered where it stands when the folder step agrees, links
// and mount points never entered. Listing ahead changes what the walk meets only for a tree that
// changes while it is walked, as any walk of a changing tree may.
#pragma once

#include "ShellItemProc.h"
#include "WorkerThreads.h"

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
        DWORD sizeHigh;
        DWORD sizeLow;
        DWORD reparseTag;
    };
    struct Folder {
        enum class State { Queued, Listing, Listed };

        std::wstring path;
        State state = State::Queued;
        bool listedAhead = false;
        bool forgotten = false;  // passed by without being entered
        std::vector<Entry> entries;
        std::vector<std::shared_ptr<Folder>> subfolders;  // by entry: the folders that may be entered
    };
    using FolderPtr = std::shared_ptr<Folder>;

    static void List(Folder& folder);
    static WIN32_FIND_DATAW FindData(const Entry& entry);
    void Work();
    // With the lock held: the folder is listed; its subfolders wait for a lister, first one on top.
    void Listed(const FolderPtr& folder, bool ahead);
    // The folder once listed; listed here and now when no lister has taken it yet.
    Folder& Await(const FolderPtr& folder);
    // A folder the walk passes by: no lister need list it, and it holds no room ahead.
    void Forget(Folder& folder);

    std::mutex lock_;
    std::condition_variable work_;    // folders queued, room ahead, or stopping
    std::condition_variable listed_;  // a folder being listed is in
    std::vector<FolderPtr> queued_;   // taken from the back
    size_t ahead_ = 0;                // folders listed ahead and not yet reached
    bool stopping_ = false;
    CWorkerThreads listers_;
};
