// The content sums of one scan's found files. Worker threads read ahead of the scan the sums it is
// going to ask for: the ends of every file once a second file of its size turns up, and the whole
// of files whose ends agree. What the scan asks for and was not read ahead is read on the asking
// thread. Reading ahead changes no answer, only when the reading is done.
#pragma once

#include "ContentSum.h"
#include "WorkerThreads.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <tuple>
#include <unordered_map>
#include <vector>

class CContentPrefetch {
public:
    // A file that passed the filters; Listed gives it the ticket by which its sums are asked for,
    // or kNoTicket when there are no more (the file's sums are then the asker's to read).
    static constexpr uint64_t kNoTicket = UINT64_MAX;
    struct Listing {
        std::wstring path;
        DWORD volume;
        uint64_t fileIndex;
        uint64_t size;
        uint64_t ticket;
    };

    // Workers act as the token's user (when there is one), like the scan's own thread.
    explicit CContentPrefetch(HANDLE userToken);
    ~CContentPrefetch();
    CContentPrefetch(const CContentPrefetch&) = delete;
    CContentPrefetch& operator=(const CContentPrefetch&) = delete;

    // Files in the order met (one thread at a time).
    void Listed(std::vector<Listing>& files);

    // The file's sum with its ends, or with the whole when asked. A sum that is missing, or was
    // unreadable, is read now; one being read ahead is waited for. Called from one thread, which
    // got the ticket from Listed's thread through a lock.
    CContentSum Sum(uint64_t ticket, bool whole);

private:
    // One sum of a file, read by whoever claims it first: Idle -> Reading -> Read. Only the scan's
    // thread reads a sum again (when it was unreadable), and only the scan's thread looks at sums
    // of other threads, once they are Read.
    struct Reading {
        enum State { Idle, Busy, Read };
        std::atomic<int> state{Idle};
        CContentSum sum;
    };
    struct Slot {
        std::wstring path;
        DWORD volume = 0;
        uint64_t fileIndex = 0;
        uint64_t size = 0;
        Reading ends;
        Reading whole;
        bool endsQueued = false;   // under the lock
        bool wholeQueued = false;  // under the lock
    };
    struct Task {
        Slot* slot;
        bool whole;
    };
    static constexpr size_t kChunkBits = 12;
    static constexpr size_t kChunks = size_t{1} << 16;

    Slot& SlotOf(uint64_t ticket) { return chunks_[ticket >> kChunkBits][ticket & ((size_t{1} << kChunkBits) - 1)]; }
    // Reads the sum into sum when it can claim it (again: one read before, which was unreadable);
    // false when another thread has it.
    bool Claim(Slot& slot, bool whole, bool again, CContentSum& sum);
    void AwaitRead(Reading& reading);
    void Work();
    // With the lock held.
    void Queue(Slot& slot, bool whole);

    std::mutex lock_;
    std::condition_variable work_;      // tasks queued, or stopping
    std::condition_variable finished_;  // a sum being read is in
    std::atomic<int> waiting_{0};
    bool stopping_ = false;
    std::deque<Task> tasks_;
    std::unique_ptr<std::unique_ptr<Slot[]>[]> chunks_;  // by ticket; a chunk is made before its tickets go out
    uint64_t listed_ = 0;
    std::unordered_map<uint64_t, Slot*> firstOfSize_;
    std::map<std::tuple<uint64_t, uint64_t, uint64_t>, std::vector<Slot*>> byEnds_;
    CWorkerThreads workers_;
};
