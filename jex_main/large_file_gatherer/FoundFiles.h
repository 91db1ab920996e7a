// The files a scan found, largest first and files of one size in the order found, each held by
// one reference. The lock is recursive, as a critical section is, so a sink called under it may
// call back into the gatherer on the same thread.
#pragma once

#include <cstdint>
#include <functional>
#include <unordered_map>
#include <mutex>
#include <vector>

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
    using Files = std::unordered_map<uint64_t, std::vector<CBigFileGarbageInfo*>>;

    // The files in the collection's order.
    std::vector<CBigFileGarbageInfo*> Ordered() const;

    bool Contains(CBigFileGarbageInfo* file) const;
    // Takes the file out and gives back the collection's reference; false when it was not in.
    bool Remove(CBigFileGarbageInfo* file);

    std::recursive_mutex lock_;
    Files files_;
};
