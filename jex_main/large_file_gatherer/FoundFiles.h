// The files a scan found, largest first and files of one size in the order found, each held by
// one reference. The lock is recursive, as a critical section is, so a sink called under it may
// call back into the gatherer on the same thread.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>

class CBigFileGarbageInfo;

class CFoundFiles {
public:
    using Lock = std::unique_lock<std::recursive_mutex>;

    CFoundFiles() = default;
    ~CFoundFiles() { Clear(); }
    CFoundFiles(const CFoundFiles&) = delete;
    CFoundFiles& operator=(const CFoundFiles&) = delete;

    Lock Hold() { return Lock(lock_); }

    // Takes over the caller's reference. Call with the lock held.
    void Insert(CBigFileGarbageInfo* file);

    // Visits the files in order until a visit answers stop; a visit that answers "remove" takes the
    // file out and releases it. Takes the lock. A visit may call back into the collection on the
    // same thread: files taken out meanwhile are not visited.
    enum class Visit { Next, Stop, RemoveAndNext, RemoveAndStop };
    void ForEach(const std::function<Visit(CBigFileGarbageInfo*)>& visit);

    size_t CountChecked();

    // Releases every file. Takes the lock.
    void Clear();

private:
    using Files = std::multimap<uint64_t, CBigFileGarbageInfo*, std::greater<uint64_t>>;

    Files::iterator Find(CBigFileGarbageInfo* file);

    std::recursive_mutex lock_;
    Files files_;
};
