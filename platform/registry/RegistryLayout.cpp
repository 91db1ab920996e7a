#include "RegistryLayout.h"

#include "RegistryDatabase.h"
#include "RegistryImport.h"
#include "RegistryStore.h"

#include "platform/Machine.h"
#include "platform/Text.h"

#include <cstdio>
#include <iterator>
#include <string>

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

// What each format adds to the one before; a store's format is its user_version. A store is
// brought up to the newest format when it is opened, keeping every key and value.
//   1: the read-only keys by path, so that finding them reads no more than they are
const char* const kUpgrades[] = {
    "CREATE INDEX IF NOT EXISTS keys_protected ON keys(upper) WHERE protected = 1",
};
constexpr int kFormat = static_cast<int>(std::size(kUpgrades));

int FormatOf(StoreConnection& connection)
{
    Statement version(connection, "PRAGMA user_version");
    return version.Step() ? static_cast<int>(version.Int(0)) : 0;
}

void ApplyUpgrades(StoreConnection& connection, int from)
{
    for (int format = from; format < kFormat; ++format)
        Execute(connection.Get(), kUpgrades[format]);
    Execute(connection.Get(), ("PRAGMA user_version = " + std::to_string(kFormat)).c_str());
}

// A store of an earlier format still works as it is, only slower, so an upgrade that cannot be
// made now (a full disk, a damaged page) is left for a later opening.
void Upgrade(StoreConnection& connection)
{
    try {
        Transaction transaction(connection, Transaction::Write);
        if (const int format = FormatOf(connection); format < kFormat) {
            ApplyUpgrades(connection, format);
            transaction.Commit();
        }
    } catch (const RegistryError& failure) {
        std::fprintf(stderr, "registry: the store stays in its earlier format for now (error %ld)\n",
                     static_cast<long>(failure.code));
    }
}

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

bool IsLaidOut(StoreConnection& connection)
{
    return Statement(connection, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'meta'").Step() &&
           Statement(connection, "SELECT 1 FROM meta WHERE name = 'created'").Step();
}

void PrepareStore(StoreConnection& connection)
{
    // A page cache that holds the paths of a large store's busy part (SQLite's default is 2 MB).
    Execute(connection.Get(), "PRAGMA synchronous=NORMAL; PRAGMA cache_size=-16384");
    if (IsLaidOut(connection)) {
        // without taking the write lock, which every new connection would otherwise wait for
        if (FormatOf(connection) < kFormat)
            Upgrade(connection);
        return;
    }
    Transaction transaction(connection, Transaction::Write);
    Execute(connection.Get(), kSchema);
    if (!IsLaidOut(connection)) {
        const MachineDescription& machine = Machine();
        RegistryStore store(connection);
        CreateStandardKeys(store, machine.is64BitWindows);
        if (!machine.registryImport.empty())
            ImportMachineSeed(store, machine.registryImport);
        Execute(connection.Get(), "INSERT INTO meta(name, value) VALUES('created', '1')");
    }
    if (const int format = FormatOf(connection); format < kFormat)
        ApplyUpgrades(connection, format);
    transaction.Commit();
}

} // namespace platform::registry
