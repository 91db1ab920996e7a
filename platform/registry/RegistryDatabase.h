// The SQLite side of the registry: this thread's connection to the machine's registry.db,
// statements and transactions. A failed SQLite call throws RegistryError with the Windows error
// the Reg*W function then returns.
#pragma once

#include "platform/win/Types.h"

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>

struct sqlite3;
struct sqlite3_stmt;

namespace platform::registry {

struct RegistryError {
    LONG code;
};

// One connection to the machine's registry.db with the statements prepared on it: each statement
// is prepared once and used again by every later call that runs the same SQL.
class StoreConnection {
public:
    explicit StoreConnection(sqlite3* db) : db_(db) {}
    ~StoreConnection();
    StoreConnection(const StoreConnection&) = delete;
    StoreConnection& operator=(const StoreConnection&) = delete;

    sqlite3* Get() const { return db_; }

    // A statement of this SQL ready to bind (prepared now when none is idle), and back again
    // once used. The SQL must be text that lives as long as the program (a literal).
    sqlite3_stmt* Take(const char* sql);
    void Give(const char* sql, sqlite3_stmt* statement);

private:
    struct Prepared {
        sqlite3_stmt* statement = nullptr;
        bool busy = false;
    };

    sqlite3* db_;
    std::unordered_map<const char*, Prepared> statements_;
};

// This thread's connection, opened on first use and again when the process forked. Only when
// asked (a call that starts from a predefined key) does it look whether the machine root changed,
// so that calls on an open handle never read machine.ini. The database is kept in WAL mode, so
// readers and writers of several processes work side by side; opening lays the store out when
// registry.db is new and upgrades a store of an earlier format (see RegistryLayout).
StoreConnection& Connection(bool checkMachine);

// Whether the machine of this thread's connection is 64-bit Windows (as last checked).
bool MachineIs64Bit();

class Statement {
public:
    Statement(StoreConnection& connection, const char* sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& Bind(int index, int64_t value);
    Statement& Bind(int index, const std::wstring& text);
    Statement& BindBlob(int index, const std::string& bytes);
    Statement& BindUtf8(int index, const std::string& text);

    // Runs to the next row: true while there is one.
    bool Step();
    // Resets for binding and stepping again.
    void Reset();

    int64_t Int(int column) const;
    std::wstring Text(int column) const;
    std::string Utf8(int column) const;
    std::string Blob(int column) const;

private:
    StoreConnection& connection_;
    const char* sql_;
    sqlite3_stmt* statement_;
};

// How many write transactions this process has committed so far.
uint64_t WritesSoFar();

// Writes take the database's write lock at once (BEGIN IMMEDIATE), so two writers never
// deadlock upgrading a read lock; busy waits are left to SQLite's busy timeout.
class Transaction {
public:
    enum Kind { Read, Write };
    Transaction(StoreConnection& connection, Kind kind);
    ~Transaction(); // rolls back unless committed
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    // Once; later calls change nothing.
    void Commit();

private:
    StoreConnection& connection_;
    Kind kind_;
    bool open_ = true;
};

// The connection of one Reg*W call: this thread's connection, or, for reading when that cannot be
// opened because the disk is full, a connection of the call's own that needs no new space.
class SessionConnection {
public:
    SessionConnection(Transaction::Kind kind, bool checkMachine);
    SessionConnection(const SessionConnection&) = delete;
    SessionConnection& operator=(const SessionConnection&) = delete;

    StoreConnection& Get() const { return *connection_; }

private:
    static std::unique_ptr<StoreConnection> OpenAlone(const RegistryError& failure);

    StoreConnection* connection_ = nullptr;
    std::unique_ptr<StoreConnection> own_;
};

// Puts every committed change of the machine's store on the disk: commits reach the log without
// waiting for the disk, so they survive a crash of the process but not of the machine until then.
// False with errno set when the disk refused.
bool SyncStore();

// Runs SQL without results (schema, pragmas).
void Execute(sqlite3* db, const char* sql);

} // namespace platform::registry
