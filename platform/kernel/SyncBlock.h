// The memory behind a mutex or an event. A named one lives in a file of run/ that every process of
// the machine maps; an unnamed one on the heap of the process.
#pragma once

#include "platform/win/Types.h"

#include <atomic>
#include <cstdint>
#include <pthread.h>
#include <string>

namespace platform {

enum class SyncKind : uint32_t { Mutex = 1, Event = 2 };

struct SyncCell {
    uint32_t kind;
    pthread_mutex_t mutex;            // a mutex: robust and recursive, held while owned
    std::atomic<uint32_t> signaled;   // an event's state
    std::atomic<uint32_t> sequence;   // changes with every SetEvent; event waiters sleep on it
    uint32_t manualReset;
};

struct SyncSetup {
    SyncKind kind;
    bool initialOwner;
    bool manualReset;
    bool initialState;
};

// A named block lives while a process uses it: each process that holds handles to it, or owns the
// mutex, keeps a read lock on the first byte of its file. Creating and opening decide under a
// write lock on the second byte, so that a name is either seen in use or set up afresh.
class SyncBlock {
public:
    // The block of the name (null or empty: a new unnamed one), made when nobody uses the name;
    // existed tells which. Null with the last error set on failure.
    static SyncBlock* Create(LPCWSTR name, const SyncSetup& setup, bool& existed);
    // The block of a name in use; null with ERROR_FILE_NOT_FOUND when nobody uses it.
    static SyncBlock* Open(LPCWSTR name, SyncKind kind);

    SyncCell& Cell() const { return *cell_; }

    // Uses are handles and ownerships of the mutex in this process (a new mutex's initial ownership
    // is one). When the last ends, an unnamed
    // block is freed and a named one left to other processes.
    void AddUse();
    void DropUse();

private:
    SyncBlock(SyncCell* cell, int fd) : cell_(cell), fd_(fd) {}
    static SyncBlock* Find(LPCWSTR name, DWORD& error);
    // Joins the named block: set up anew from setup when nobody uses it (without a setup: fails
    // with ERROR_FILE_NOT_FOUND then).
    static SyncBlock* Attach(LPCWSTR name, SyncKind kind, const SyncSetup* setup, bool& existed);
    void SetUp(const SyncSetup& setup, bool shared);

    SyncCell* cell_;
    int fd_;          // the run/ file of a named block, -1 for an unnamed one
    int uses_ = 0;    // guarded by the table's lock
};

// The run/ file name of an object name, or "" with the last error set when the name is not valid.
std::string ObjectFileName(const std::wstring& name);

} // namespace platform
