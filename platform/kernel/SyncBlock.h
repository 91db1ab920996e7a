// The memory behind a mutex or an event. A named one lives in a file of run/ that every process of
// the machine maps; an unnamed one in an anonymous shared file, so that a child can be handed it.
#pragma once

#include "platform/ObjectSecurity.h"
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
    uint32_t depth;                   // a mutex's: how often its owner took it (written by the owner)
    int32_t ownerThread;              // a mutex's owner thread, 0 when free (written by the owner)
    uint32_t abandoned;               // a mutex's: its owner let go of it without releasing it
    std::atomic<uint32_t> signaled;   // an event's state
    std::atomic<uint32_t> sequence;   // changes with every SetEvent; event waiters sleep on it
    uint32_t manualReset;
    ObjectSecurity security;          // a named object's: who may open it
};

struct SyncSetup {
    SyncKind kind;
    bool initialOwner;
    bool manualReset;
    bool initialState;
    ObjectSecurity security;
};

// The rights that GENERIC_ALL stands for on an object of the kind.
DWORD FullAccess(SyncKind kind);

// A named block lives while a process uses it: each process that holds handles to it, or owns the
// mutex, keeps a read lock on the first byte of its file. Creating, opening and letting go decide
// under a write lock on the second byte, so that a name is either seen in use or set up afresh;
// the process that lets go of a name last removes its file, so that nothing of a name outlives
// its last handle in the machine.
class SyncBlock {
public:
    // The block of the name (null or empty: a new unnamed one), made when nobody uses the name;
    // existed tells which. Null with the last error set on failure (ERROR_ACCESS_DENIED when the
    // object's security refuses this process all access).
    static SyncBlock* Create(LPCWSTR name, const SyncSetup& setup, bool& existed);
    // The block of a name in use; null with ERROR_FILE_NOT_FOUND when nobody uses it, or
    // ERROR_ACCESS_DENIED when its security refuses the access.
    static SyncBlock* Open(LPCWSTR name, SyncKind kind, DWORD access);
    // The block a starter handed this process: its run/ file's path for a named one (joined again
    // by name while in use), and the descriptor of its memory.
    static SyncBlock* Inherit(const std::string& path, int fd);

    // What a child needs to reach the block (see Inherit).
    int Descriptor() const { return fd_; }
    const std::string& Path() const { return path_; }

    SyncCell& Cell() const { return *cell_; }

    // Uses are the handles to the block in this process. When the last closes, a mutex owned by the
    // closing thread or by a thread that ended is abandoned, and the block goes: its memory, and for
    // a named one its descriptor and mapping, and its file when no other process uses the name.
    // A mutex that another live thread of this process owns stays mapped, since that thread's
    // robust list still leads into it.
    void AddUse();
    void DropUse();

private:
    SyncBlock(SyncCell* cell, int fd, std::string path) : cell_(cell), fd_(fd), path_(std::move(path)) {}
    // Joins the named block: set up anew from setup when nobody uses it (without a setup: fails
    // with ERROR_FILE_NOT_FOUND then).
    static SyncBlock* Attach(LPCWSTR name, SyncKind kind, DWORD access, const SyncSetup* setup, bool& existed);
    // A block in memory no name leads to (new, or handed over by a starter).
    static SyncBlock* Unnamed(int fd, const SyncSetup* setup);
    // Joins the block of the run/ file at path; null with the last error set.
    static SyncBlock* Join(const std::string& path, const SyncSetup* setup, bool& existed);
    void SetUp(const SyncSetup& setup);
    // Lets go of the block (the table's lock held).
    void Free();

    SyncCell* cell_;
    int fd_;            // the run/ file of a named block, the anonymous file of an unnamed one
    std::string path_;  // a named block's run/ file path, empty for an unnamed one
    int uses_ = 0;      // guarded by the table's lock
};

// The run/ file name of an object name, or "" with the last error set when the name is not valid.
std::string ObjectFileName(const std::wstring& name);

} // namespace platform
