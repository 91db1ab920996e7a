// The store's tables, and what a new registry.db starts with.
#pragma once

struct sqlite3;

namespace platform::registry {

// Sets the connection up and, when registry.db is new, creates the tables, the keys every
// Windows machine has and the import that machine.ini names. One process does that; the others
// wait for its transaction.
void PrepareStore(sqlite3* db);

// Whether registry.db holds a whole store (reads only).
bool IsLaidOut(sqlite3* db);

} // namespace platform::registry
