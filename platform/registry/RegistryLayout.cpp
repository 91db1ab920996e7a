#include "RegistryLayout.h"

#include "RegistryDatabase.h"
#include "RegistryImport.h"
#include "RegistryStore.h"

#include "platform/Machine.h"
#include "platform/Text.h"

#include <cstdio>

namespace platform::registry {

namespace {

const char kSchema[] = R"(
CREATE TABLE IF NOT EXISTS keys(
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    parent INTEGER NOT NULL,
    name TEXT NOT NULL,
    path TEXT NOT NULL,
    upper TEXT NOT NULL UNIQUE,
    written INTEGER NOT NULL,
    protected INTEGER NOT NULL DEFAULT 0);
CREATE INDEX IF NOT EXISTS keys_by_parent ON keys(parent, upper);
CREATE TABLE IF NOT EXISTS vals(
    seq INTEGER PRIMARY KEY AUTOINCREMENT,
    key INTEGER NOT NULL,
    name TEXT NOT NULL,
    upper TEXT NOT NULL,
    type INTEGER NOT NULL,
    data BLOB NOT NULL,
    host_size INTEGER NOT NULL,
    UNIQUE(key, upper));
CREATE INDEX IF NOT EXISTS vals_in_order ON vals(key, seq);
CREATE TABLE IF NOT EXISTS meta(name TEXT PRIMARY KEY, value TEXT);
)";

void CreateStandardKeys(RegistryStore& store, bool is64Bit)
{
    std::vector<KeyPath> keys = {
        {L"HKEY_LOCAL_MACHINE", L"SOFTWARE", L"Classes"},
        {L"HKEY_LOCAL_MACHINE", L"SYSTEM"},
        {L"HKEY_CURRENT_USER", L"Software", L"Classes"},
        {L"HKEY_USERS", L".DEFAULT"},
    };
    if (is64Bit)
        keys.push_back({L"HKEY_LOCAL_MACHINE", L"SOFTWARE", L"WOW6432Node"});
    bool created = false;
    for (const KeyPath& key : keys)
        store.Create(key, created);
}

// A machine whose seed file is damaged still gets its registry; the reason goes to the log.
void ImportMachineSeed(RegistryStore& store, const std::string& hostPath)
{
    std::wstring text;
    std::wstring error;
    if (!ReadRegFile(hostPath, text, error) || !ImportInto(store, text, error))
        std::fprintf(stderr, "registry: %s not imported: %s\n", hostPath.c_str(), ToUtf8(error).c_str());
}

} // namespace

bool IsLaidOut(sqlite3* db)
{
    return Statement(db, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'meta'").Step() &&
           Statement(db, "SELECT 1 FROM meta WHERE name = 'created'").Step();
}

void PrepareStore(sqlite3* db)
{
    Execute(db, "PRAGMA synchronous=NORMAL");
    if (IsLaidOut(db))
        return; // without taking the write lock, which every new connection would otherwise wait for
    Transaction transaction(db, Transaction::Write);
    Execute(db, kSchema);
    if (!IsLaidOut(db)) {
        const MachineDescription& machine = Machine();
        RegistryStore store(db);
        CreateStandardKeys(store, machine.is64BitWindows);
        if (!machine.registryImport.empty())
            ImportMachineSeed(store, machine.registryImport);
        Execute(db, "INSERT INTO meta(name, value) VALUES('created', '1')");
    }
    transaction.Commit();
}

} // namespace platform::registry
