#include "RegistryDatabase.h"

#include "RegistryLayout.h"

#include "platform/Machine.h"
#include "platform/Text.h"
#include "platform/win/Errors.h"
#include "platform/win/Registry.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <mutex>
#include <pthread.h>
#include <sqlite3.h>
#include <thread>
#include <unistd.h>

namespace platform::registry {

namespace {

// Long enough for any writer of the machine to finish, short enough that a stuck one is reported.
constexpr int kBusyTimeoutMs = 10000;

LONG ErrorOf(int rc, int systemErrno)
{
    // the store cannot grow: its database, its log, or the shared index of its log (which a
    // connection of its own needs even to read)
    if (systemErrno == ENOSPC || systemErrno == EDQUOT || rc == SQLITE_IOERR_SHMSIZE)
        return ERROR_DISK_FULL;
    if (rc == SQLITE_CANTOPEN_SYMLINK || systemErrno == EACCES || systemErrno == EPERM)
        return ERROR_ACCESS_DENIED;
    switch (rc & 0xFF) {
    case SQLITE_NOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case SQLITE_FULL: return ERROR_DISK_FULL;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB: return ERROR_REGISTRY_CORRUPT;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH: return ERROR_ACCESS_DENIED;
    default: return ERROR_REGISTRY_IO_FAILED;
    }
}

[[noreturn]] void Fail(int rc, sqlite3* db) { throw RegistryError{ErrorOf(rc, db ? sqlite3_system_errno(db) : 0)}; }

std::string DatabasePath() { return Machine().root + "/registry.db"; }

// A new connection to the machine's registry.db that waits for other writers. SQLite refuses a link
// at the database's name or its journals', which the machine's user could plant there: the machine
// root itself is named by its real path, as SQLite refuses a link anywhere on the way.
sqlite3* Open(const std::string& path, int flags)
{
    const size_t slash = path.rfind('/');
    char folder[PATH_MAX];
    const std::string real = realpath(path.substr(0, slash).c_str(), folder) ? folder + path.substr(slash) : path;
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(real.c_str(), &db, flags | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_NOFOLLOW, nullptr);
    if (rc != SQLITE_OK) {
        const RegistryError failure {ErrorOf(db ? sqlite3_extended_errcode(db) : rc, db ? sqlite3_system_errno(db) : 0)};
        sqlite3_close_v2(db);
        throw failure;
    }
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    return db;
}

// This process's id, kept up to date over fork, so that a call asks no system call for it.
std::atomic<pid_t> g_process{0};

pid_t ThisProcess()
{
    static std::once_flag watching;
    std::call_once(watching, [] {
        g_process.store(getpid());
        pthread_atfork(nullptr, nullptr, [] { g_process.store(getpid()); });
    });
    return g_process.load(std::memory_order_relaxed);
}

struct ThreadConnection {
    std::unique_ptr<StoreConnection> connection;
    std::string path;
    pid_t pid = 0;
    bool is64Bit = true;

    bool Ours() const { return connection && pid == ThisProcess(); }
    void Close()
    {
        // A connection inherited over fork belongs to the parent; SQLite must not touch it here.
        if (connection && pid != ThisProcess())
            (void)connection.release();
        connection.reset();
    }
    ~ThreadConnection() { Close(); }
};

thread_local ThreadConnection t_connection;

std::atomic<uint64_t> g_writes{0};

// A new database becomes WAL by taking it to itself for a moment. SQLite does not wait for that
// (waiting could deadlock), so several processes making the machine's registry at once take
// turns here.
void UseWriteAheadLog(sqlite3* db)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kBusyTimeoutMs);
    while (true) {
        const int rc = sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
        if (rc == SQLITE_OK)
            return;
        if ((rc & 0xFF) != SQLITE_BUSY || std::chrono::steady_clock::now() > deadline)
            Fail(rc, db);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

// Runs one cached statement without results.
void Run(StoreConnection& connection, const char* sql) { Statement(connection, sql).Step(); }

} // namespace

StoreConnection::~StoreConnection()
{
    for (const auto& [sql, entry] : statements_)
        sqlite3_finalize(entry.statement);
    sqlite3_close_v2(db_);
}

sqlite3_stmt* StoreConnection::Take(const char* sql)
{
    Prepared& entry = statements_[sql];
    if (entry.statement && !entry.busy) {
        entry.busy = true;
        return entry.statement;
    }
    // the first use, or the same SQL again while it runs: a statement of its own
    sqlite3_stmt* statement = nullptr;
    const int rc = sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &statement, nullptr);
    if (rc != SQLITE_OK)
        Fail(rc, db_);
    if (!entry.statement)
        entry = {statement, true};
    return statement;
}

void StoreConnection::Give(const char* sql, sqlite3_stmt* statement)
{
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
    Prepared& entry = statements_[sql];
    if (entry.statement == statement)
        entry.busy = false;
    else
        sqlite3_finalize(statement);
}

StoreConnection& Connection(bool checkMachine)
{
    ThreadConnection& current = t_connection;
    if (current.Ours() && !checkMachine)
        return *current.connection;
    const MachineDescription& machine = Machine();
    const std::string path = machine.root + "/registry.db";
    current.is64Bit = machine.is64BitWindows;
    if (current.Ours() && current.path == path)
        return *current.connection;
    current.Close();

    auto connection = std::make_unique<StoreConnection>(Open(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE));
    UseWriteAheadLog(connection->Get());
    PrepareStore(*connection);
    current.connection = std::move(connection);
    current.path = path;
    current.pid = ThisProcess();
    return *current.connection;
}

bool MachineIs64Bit() { return t_connection.is64Bit; }

SessionConnection::SessionConnection(Transaction::Kind kind, bool checkMachine)
{
    try {
        connection_ = &Connection(checkMachine);
    } catch (const RegistryError& failure) {
        if (kind != Transaction::Read || failure.code != ERROR_DISK_FULL)
            throw;
        own_ = OpenAlone(failure);
        connection_ = own_.get();
    }
}

std::unique_ptr<StoreConnection> SessionConnection::OpenAlone(const RegistryError& failure)
{
    // In exclusive locking mode SQLite keeps the log's index in this process's memory instead of
    // the shared file, so reading needs no new space; it also holds the database alone, which is
    // why this connection lives for one session only.
    try {
        auto connection = std::make_unique<StoreConnection>(Open(DatabasePath(), SQLITE_OPEN_READWRITE));
        Execute(connection->Get(), "PRAGMA locking_mode=EXCLUSIVE");
        if (IsLaidOut(*connection))
            return connection;
    } catch (const RegistryError&) {
    }
    throw failure;
}

Statement::Statement(StoreConnection& connection, const char* sql)
    : connection_(connection)
    , sql_(sql)
    , statement_(connection.Take(sql))
{
}

Statement::~Statement() { connection_.Give(sql_, statement_); }

Statement& Statement::Bind(int index, int64_t value)
{
    const int rc = sqlite3_bind_int64(statement_, index, value);
    if (rc != SQLITE_OK)
        Fail(rc, connection_.Get());
    return *this;
}

Statement& Statement::Bind(int index, const std::wstring& text) { return BindUtf8(index, ToUtf8(text)); }

Statement& Statement::BindUtf8(int index, const std::string& text)
{
    const int rc = sqlite3_bind_text(statement_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    if (rc != SQLITE_OK)
        Fail(rc, connection_.Get());
    return *this;
}

Statement& Statement::BindBlob(int index, const std::string& bytes)
{
    // data() is never null, so even empty data binds as a blob rather than as NULL.
    const int rc = sqlite3_bind_blob(statement_, index, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
    if (rc != SQLITE_OK)
        Fail(rc, connection_.Get());
    return *this;
}

bool Statement::Step()
{
    const int rc = sqlite3_step(statement_);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    Fail(rc, connection_.Get());
}

void Statement::Reset()
{
    sqlite3_reset(statement_);
    sqlite3_clear_bindings(statement_);
}

int64_t Statement::Int(int column) const { return sqlite3_column_int64(statement_, column); }

std::wstring Statement::Text(int column) const { return FromUtf8(Utf8(column)); }

std::string Statement::Utf8(int column) const
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
    return text ? std::string(text, static_cast<size_t>(sqlite3_column_bytes(statement_, column))) : std::string();
}

std::string Statement::Blob(int column) const
{
    const void* data = sqlite3_column_blob(statement_, column);
    const int size = sqlite3_column_bytes(statement_, column);
    return data ? std::string(static_cast<const char*>(data), static_cast<size_t>(size)) : std::string();
}

uint64_t WritesSoFar() { return g_writes.load(std::memory_order_acquire); }

Transaction::Transaction(StoreConnection& connection, Kind kind)
    : connection_(connection)
    , kind_(kind)
{
    Run(connection, kind == Write ? "BEGIN IMMEDIATE" : "BEGIN");
}

Transaction::~Transaction()
{
    if (!open_)
        return;
    try {
        Run(connection_, "ROLLBACK");
    } catch (const RegistryError&) {
        // SQLite rolls back by itself what it could not finish
    }
}

void Transaction::Commit()
{
    if (!open_)
        return;
    Run(connection_, "COMMIT");
    open_ = false;
    if (kind_ == Write)
        g_writes.fetch_add(1, std::memory_order_acq_rel);
}

bool SyncStore()
{
    const std::string path = DatabasePath();
    const std::string folder = path.substr(0, path.rfind('/')) + "/.";
    for (const std::string& file : {path + "-wal", path, folder}) {
        const int fd = open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            if (errno == ENOENT)
                continue; // no log: everything is in the database
            return false;
        }
        const bool synced = fsync(fd) == 0;
        const int error = errno;
        close(fd);
        if (!synced) {
            errno = error;
            return false;
        }
    }
    return true;
}

void Execute(sqlite3* db, const char* sql)
{
    const int rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        Fail(rc, db);
}

} // namespace platform::registry
