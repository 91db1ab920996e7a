// The SQLite side of the registry: this thread's connection to the machine's registry.db,
// statements and transactions. A failed SQLite call throws RegistryError with the Windows error
// the Reg*W function then returns.
#pragma once

#include "platform/win/Types.h"

#include <cstdint>
#include <string>

struct sqlite3;
struct sqlite3_stmt;

namespace platform::registry {

struct RegistryError {
    LONG code;
};

// This thread's connection, opened on first use and again when the machine root changed or the
// process forked. The database is kept in WAL mode, so readers and writers of several processes
// work side by side; opening lays the store out when registry.db is new (see RegistryLayout).
sqlite3* Connection();

class Statement {
public:
    Statement(sqlite3* db, const char* sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& Bind(int index, int64_t value);
    Statement& Bind(int index, const std::wstring& text);
    Statement& BindBlob(int index, const std::string& bytes);

    // Runs to the next row: true while there is one.
    bool Step();
    // Resets for binding and stepping again.
    void Reset();

    int64_t Int(int column) const;
    std::wstring Text(int column) const;
    std::string Blob(int column) const;

private:
    sqlite3* db_;
    sqlite3_stmt* statement_ = nullptr;
};

// Writes take the database's write lock at once (BEGIN IMMEDIATE), so two writers never
// deadlock upgrading a read lock; busy waits are left to SQLite's busy timeout.
class Transaction {
public:
    enum Kind { Read, Write };
    Transaction(sqlite3* db, Kind kind);
    ~Transaction(); // rolls back unless committed
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    // Once; later calls change nothing.
    void Commit();

private:
    sqlite3* db_;
    bool open_ = true;
};

// The connection of one Reg*W call: this thread's connection, or, for reading when that cannot be
// opened because the disk is full, a connection of the call's own that needs no new space.
class SessionConnection {
public:
    explicit SessionConnection(Transaction::Kind kind);
    ~SessionConnection();
    SessionConnection(const SessionConnection&) = delete;
    SessionConnection& operator=(const SessionConnection&) = delete;

    sqlite3* Get() const { return db_; }

private:
    static sqlite3* OpenAlone(const RegistryError& failure);

    sqlite3* db_ = nullptr;
    bool own_ = false;
};

// Puts every committed change of the machine's store on the disk: commits reach the log without
// waiting for the disk, so they survive a crash of the process but not of the machine until then.
// False with errno set when the disk refused.
bool SyncStore();

// Runs SQL without results (schema, pragmas).
void Execute(sqlite3* db, const char* sql);

} // namespace platform::registry
