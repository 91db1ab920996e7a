// The walk of a category run on a thread of its own, a bounded number of files ahead of the scan
// that takes them in the order met. The scan sees the same files in the same order as if it
// walked itself; when it stops taking them the walk ends.
#pragma once

#include "ShellItemProc.h"
#include "WorkerThreads.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

class CWalkAhead {
public:
    struct File {
        std::wstring path;
        WIN32_FIND_DATAW data;
        FilePlace place;
        uint64_t ticket;  // for the listing's own use
    };

    // listed runs on the walking thread for each batch of files, in order, before the scan can take
    // them. The walking thread acts as the token's user when there is one.
    CWalkAhead(const CShellItemProc& item, HANDLE userToken, std::function<void(std::vector<File>& batch)> listed);
    // Ends the walk and waits for its thread.
    ~CWalkAhead();
    CWalkAhead(const CWalkAhead&) = delete;
    CWalkAhead& operator=(const CWalkAhead&) = delete;

    // The next file met; false when the walk is over.
    bool Next(File& file);

private:
    void Walk(const CShellItemProc& item, HANDLE userToken);
    // Hands the files met so far to the scan; false when the scan stopped taking them.
    bool Publish();

    std::function<void(std::vector<File>& batch)> listed_;
    std::vector<File> batch_;  // the walking thread's files not yet handed over

    std::mutex lock_;
    std::condition_variable changed_;
    std::deque<std::vector<File>> batches_;
    size_t waiting_ = 0;
    bool done_ = false;
    bool stopping_ = false;

    std::vector<File> taken_;  // the scan's batch in hand
    size_t nextTaken_ = 0;

    CWorkerThreads thread_;
};
