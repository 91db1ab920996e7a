// The store's tables, and what a new registry.db starts with.
#pragma once

namespace platform::registry {

class StoreConnection;

// Sets the connection up and, when registry.db is new, creates the tables, the keys every
// Windows machine has and the import that machine.ini names; a store of an earlier format is
// upgraded in place. One process does that; the others wait for its transaction.
void PrepareStore(StoreConnection& connection);

// Whether registry.db holds a whole store (reads only).
bool IsLaidOut(StoreConnection& connection);

} // namespace platform::registry
