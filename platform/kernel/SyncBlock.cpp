#include "SyncBlock.h"

#include "RunFolder.h"

#include "platform/Text.h"
#include "platform/win/Errors.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <unistd.h>

namespace platform {

namespace {

std::mutex g_table;
std::map<std::string, SyncBlock*> g_named; // one per run/ file for the life of the process

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
    ~GateLock() { LockByteOf(fd_, kGate, F_UNLCK, false); }
    GateLock(const GateLock&) = delete;
    GateLock& operator=(const GateLock&) = delete;

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

SyncBlock* SyncBlock::Find(LPCWSTR name, DWORD& error)
{
    const std::string fileName = ObjectFileName(name);
    if (fileName.empty()) {
        error = GetLastError();
        return nullptr;
    }
    const std::string path = RunFolder() + "/" + fileName;
    SyncBlock*& block = g_named[path];
    if (!block) {
        const int fd = OpenRunFile(path);
        void* memory = fd < 0 ? nullptr : MapRunFile(fd, sizeof(SyncCell));
        if (!memory) {
            error = GetLastError();
            if (fd >= 0)
                close(fd);
            g_named.erase(path);
            return nullptr;
        }
        block = new SyncBlock(static_cast<SyncCell*>(memory), fd);
    }
    return block;
}

SyncBlock* SyncBlock::Create(LPCWSTR name, const SyncSetup& setup, bool& existed)
{
    existed = false;
    if (name && *name)
        return Attach(name, setup.kind, &setup, existed);
    std::lock_guard<std::mutex> lock(g_table);
    auto* block = new SyncBlock(new SyncCell {}, -1);
    block->SetUp(setup, false);
    block->uses_ = setup.initialOwner ? 2 : 1;
    return block;
}

SyncBlock* SyncBlock::Open(LPCWSTR name, SyncKind kind)
{
    if (!name || !*name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    bool existed = false;
    return Attach(name, kind, nullptr, existed);
}

SyncBlock* SyncBlock::Attach(LPCWSTR name, SyncKind kind, const SyncSetup* setup, bool& existed)
{
    std::lock_guard<std::mutex> lock(g_table);
    DWORD error = ERROR_SUCCESS;
    SyncBlock* block = Find(name, error);
    if (!block) {
        SetLastError(error);
        return nullptr;
    }
    existed = block->uses_ > 0;
    if (!existed) {
        GateLock gate(block->fd_);
        existed = InUseElsewhere(block->fd_);
        if (!existed && !setup) {
            SetLastError(ERROR_FILE_NOT_FOUND);
            return nullptr;
        }
        if (!existed)
            block->SetUp(*setup, true);
        if (!LockByteOf(block->fd_, kInUse, F_RDLCK, true)) {
            SetLastErrorFromErrno();
            return nullptr;
        }
    }
    if (existed && block->cell_->kind != static_cast<uint32_t>(kind)) {
        if (block->uses_ == 0)
            LockByteOf(block->fd_, kInUse, F_UNLCK, false);
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    block->uses_ += !existed && setup->initialOwner ? 2 : 1;
    return block;
}

void SyncBlock::SetUp(const SyncSetup& setup, bool shared)
{
    SyncCell& cell = *cell_;
    cell.kind = static_cast<uint32_t>(setup.kind);
    pthread_mutexattr_t attributes;
    pthread_mutexattr_init(&attributes);
    pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
    pthread_mutexattr_setrobust(&attributes, PTHREAD_MUTEX_ROBUST);
    pthread_mutexattr_setpshared(&attributes, shared ? PTHREAD_PROCESS_SHARED : PTHREAD_PROCESS_PRIVATE);
    pthread_mutex_init(&cell.mutex, &attributes);
    pthread_mutexattr_destroy(&attributes);
    cell.signaled.store(setup.initialState ? 1 : 0);
    cell.sequence.store(0);
    cell.manualReset = setup.manualReset ? 1 : 0;
    if (setup.kind == SyncKind::Mutex && setup.initialOwner)
        pthread_mutex_lock(&cell.mutex);
}

void SyncBlock::AddUse()
{
    std::lock_guard<std::mutex> lock(g_table);
    ++uses_;
}

void SyncBlock::DropUse()
{
    std::unique_lock<std::mutex> lock(g_table);
    if (--uses_ > 0)
        return;
    if (fd_ >= 0) {
        LockByteOf(fd_, kInUse, F_UNLCK, false);
        return;
    }
    lock.unlock();
    delete cell_;
    delete this;
}

} // namespace platform
