#include "SyncBlock.h"

#include "MutexObject.h"
#include "RunFolder.h"

#include "platform/Text.h"
#include "platform/win/Errors.h"
#include "platform/win/Sync.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

std::mutex g_table;
std::map<std::string, SyncBlock*> g_named; // the named blocks in use here, by run/ file

enum LockByte : off_t { kInUse = 0, kGate = 1 };

bool LockByteOf(int fd, LockByte byte, short type, bool wait)
{
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = byte;
    lock.l_len = 1;
    int rc;
    do
        rc = fcntl(fd, wait ? F_OFD_SETLKW : F_OFD_SETLK, &lock);
    while (rc != 0 && errno == EINTR);
    return rc == 0;
}

// Whether another process (another open file description) holds the in-use byte.
bool InUseElsewhere(int fd)
{
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = kInUse;
    lock.l_len = 1;
    return fcntl(fd, F_OFD_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
}

// Holds the gate byte of a named block's file while a process decides whether its name is in use.
class GateLock {
public:
    explicit GateLock(int fd) : fd_(fd) { LockByteOf(fd_, kGate, F_WRLCK, true); }
    ~GateLock() { Release(); }
    GateLock(const GateLock&) = delete;
    GateLock& operator=(const GateLock&) = delete;

    void Release()
    {
        if (fd_ >= 0)
            LockByteOf(fd_, kGate, F_UNLCK, false);
        fd_ = -1;
    }

private:
    int fd_;
};

uint64_t Fnv1a(const std::string& text)
{
    uint64_t hash = 14695981039346656037ull;
    for (const unsigned char c : text)
        hash = (hash ^ c) * 1099511628211ull;
    return hash;
}

} // namespace

DWORD FullAccess(SyncKind kind) { return kind == SyncKind::Mutex ? MUTEX_ALL_ACCESS : EVENT_ALL_ACCESS; }

std::string ObjectFileName(const std::wstring& name)
{
    if (name.size() > MAX_PATH) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return {};
    }
    // Session-wide (plain and "Local\") and machine-wide ("Global\") names are kept apart, as they
    // are for a program of the user's session on Windows.
    std::string space = "local.";
    std::wstring rest = name;
    for (const wchar_t* prefix : {L"Global\\", L"Local\\"}) {
        const std::wstring p = prefix;
        if (EqualsIgnoringCase(rest.substr(0, p.size()), p)) {
            space = p == L"Global\\" ? "global." : "local.";
            rest.erase(0, p.size());
            break;
        }
    }
    if (rest.find(L'\\') != std::wstring::npos) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return {};
    }
    std::string encoded;
    for (const unsigned char c : ToUtf8(rest)) {
        if (c < 0x20 || c == '/' || c == '%' || c == 0x7f) {
            static const char hex[] = "0123456789ABCDEF";
            encoded += '%';
            encoded += hex[c >> 4];
            encoded += hex[c & 15];
        } else {
            encoded += static_cast<char>(c);
        }
    }
    if (encoded.size() > 200) {
        char suffix[24];
        std::snprintf(suffix, sizeof(suffix), "~%016llx", static_cast<unsigned long long>(Fnv1a(encoded)));
        encoded = encoded.substr(0, 180) + suffix;
    }
    return space + encoded;
}

SyncBlock* SyncBlock::Create(LPCWSTR name, const SyncSetup& setup, bool& existed)
{
    existed = false;
    if (name && *name)
        return Attach(name, setup.kind, FullAccess(setup.kind), &setup, existed);
    const int fd = memfd_create("sync", MFD_CLOEXEC);
    if (fd < 0) {
        SetLastErrorFromErrno();
        return nullptr;
    }
    SyncBlock* block = Unnamed(fd, &setup);
    if (block) {
        std::lock_guard<std::mutex> lock(g_table);
        block->uses_ = 1;
    }
    return block;
}

SyncBlock* SyncBlock::Open(LPCWSTR name, SyncKind kind, DWORD access)
{
    if (!name || !*name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    bool existed = false;
    return Attach(name, kind, access, nullptr, existed);
}

SyncBlock* SyncBlock::Unnamed(int fd, const SyncSetup* setup)
{
    void* memory = MapRunFile(fd, sizeof(SyncCell));
    if (!memory) {
        close(fd);
        return nullptr;
    }
    auto* block = new SyncBlock(static_cast<SyncCell*>(memory), fd, {});
    if (setup)
        block->SetUp(*setup);
    return block;
}

SyncBlock* SyncBlock::Inherit(const std::string& path, int fd)
{
    SyncBlock* block = nullptr;
    if (!path.empty()) {
        // joined again by its name, so that this process counts among its users
        std::lock_guard<std::mutex> lock(g_table);
        if (const auto found = g_named.find(path); found != g_named.end()) {
            block = found->second;
        } else {
            bool existed = false;
            block = Join(path, nullptr, existed);
            if (block)
                g_named[path] = block;
        }
        if (block) {
            ++block->uses_;
            close(fd);
            return block;
        }
    }
    // an unnamed block, or a named one whose other users all let go meanwhile: its memory alone
    block = Unnamed(fd, nullptr);
    if (block) {
        std::lock_guard<std::mutex> lock(g_table);
        block->uses_ = 1;
    }
    return block;
}

SyncBlock* SyncBlock::Attach(LPCWSTR name, SyncKind kind, DWORD access, const SyncSetup* setup, bool& existed)
{
    const std::string fileName = ObjectFileName(name);
    if (fileName.empty())
        return nullptr;
    const std::string path = RunFolder() + "/" + fileName;
    std::lock_guard<std::mutex> lock(g_table);
    SyncBlock* block = nullptr;
    if (const auto found = g_named.find(path); found != g_named.end()) {
        existed = true;
        block = found->second;
    } else {
        block = Join(path, setup, existed);
        if (!block)
            return nullptr;
        g_named[path] = block;
    }
    if (existed && block->cell_->kind != static_cast<uint32_t>(kind)) {
        if (block->uses_ == 0)
            block->Free();
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (existed && !MayOpen(block->cell_->security, access, FullAccess(kind))) {
        if (block->uses_ == 0)
            block->Free();
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    ++block->uses_;
    return block;
}

SyncBlock* SyncBlock::Join(const std::string& path, const SyncSetup* setup, bool& existed)
{
    std::string name;
    const CRunFolder folder = OpenRunFolderOf(path, name);
    if (!folder.IsOpen())
        return nullptr;
    for (;;) {
        bool created = false;
        // only who sets a name up makes its file
        const int fd = setup ? folder.OpenSharedFile(name, created) : folder.OpenFile(name, true, RunWriters::Shared);
        if (fd < 0)
            return nullptr;
        GateLock gate(fd);
        if (!folder.IsFileAt(fd, name)) {
            // its last user removed it since it was opened: the name starts afresh
            gate.Release();
            close(fd);
            continue;
        }
        existed = InUseElsewhere(fd);
        if (!existed && !setup) {
            folder.Remove(name);
            gate.Release();
            close(fd);
            SetLastError(ERROR_FILE_NOT_FOUND);
            return nullptr;
        }
        void* memory = MapRunFile(fd, sizeof(SyncCell));
        if (memory && !LockByteOf(fd, kInUse, F_RDLCK, true)) {
            SetLastErrorFromErrno();
            munmap(memory, sizeof(SyncCell));
            memory = nullptr;
        }
        if (!memory) {
            if (!existed)
                folder.Remove(name);
            gate.Release();
            close(fd);
            return nullptr;
        }
        auto* block = new SyncBlock(static_cast<SyncCell*>(memory), fd, path);
        if (!existed)
            block->SetUp(*setup);
        return block;
    }
}

void SyncBlock::SetUp(const SyncSetup& setup)
{
    SyncCell& cell = *cell_;
    cell.kind = static_cast<uint32_t>(setup.kind);
    pthread_mutexattr_t attributes;
    pthread_mutexattr_init(&attributes);
    pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
    pthread_mutexattr_setrobust(&attributes, PTHREAD_MUTEX_ROBUST);
    pthread_mutexattr_setpshared(&attributes, PTHREAD_PROCESS_SHARED);
    pthread_mutex_init(&cell.mutex, &attributes);
    pthread_mutexattr_destroy(&attributes);
    cell.signaled.store(setup.initialState ? 1 : 0);
    cell.sequence.store(0);
    cell.manualReset = setup.manualReset ? 1 : 0;
    cell.security = setup.security;
    cell.depth = 0;
    cell.ownerThread = 0;
    cell.abandoned = 0;
    if (setup.kind == SyncKind::Mutex && setup.initialOwner) {
        pthread_mutex_lock(&cell.mutex);
        cell.depth = 1;
        cell.ownerThread = gettid();
    }
}

void SyncBlock::AddUse()
{
    std::lock_guard<std::mutex> lock(g_table);
    ++uses_;
}

void SyncBlock::DropUse()
{
    std::lock_guard<std::mutex> lock(g_table);
    if (--uses_ == 0 && (cell_->kind != static_cast<uint32_t>(SyncKind::Mutex) || MutexObject::LetGo(*cell_)))
        Free();
}

void SyncBlock::Free()
{
    if (path_.empty()) {
        munmap(cell_, sizeof(SyncCell));
        close(fd_);
    } else {
        g_named.erase(path_);
        {
            GateLock gate(fd_);
            LockByteOf(fd_, kInUse, F_UNLCK, false);
            std::string name;
            if (!InUseElsewhere(fd_))
                OpenRunFolderOf(path_, name).RemoveIfFileAt(fd_, name);
        }
        munmap(cell_, sizeof(SyncCell));
        close(fd_);
    }
    delete this;
}

} // namespace platform
