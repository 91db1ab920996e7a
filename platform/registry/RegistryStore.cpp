#include "RegistryStore.h"

#include "RegistryDatabase.h"
#include "ValueData.h"

#include "platform/Text.h"

#include <chrono>
#include <sqlite3.h>

namespace platform::registry {

namespace {

// 100-nanosecond intervals between 1601-01-01 (FILETIME's epoch) and 1970-01-01.
constexpr int64_t kFileTimeOfUnixEpoch = 116444736000000000LL;

int64_t FileTimeNow()
{
    const auto since = std::chrono::system_clock::now().time_since_epoch();
    return kFileTimeOfUnixEpoch + std::chrono::duration_cast<std::chrono::nanoseconds>(since).count() / 100;
}

std::wstring UpperPath(const KeyPath& path) { return UpperCase(JoinKeyPath(path)); }

// Where a listing asked for index goes on: right after the item at the position (true), at that
// item again when the same index is asked once more (false), or nowhere when it must count.
std::optional<bool> ContinuesAfter(const ListPosition& position, int64_t key, DWORD index)
{
    if (position.key != key || index == 0)
        return std::nullopt;
    if (index == position.index + 1)
        return true;
    if (index == position.index)
        return false;
    return std::nullopt;
}

// The SQL that reads a batch of a listing: counting from the first item, on after the item at
// the position, or from that item again.
struct ListingSql {
    const char* counted;
    const char* next;
    const char* again;
};

// Up to count items from index on; bindPlace binds the position's item as ?2, read makes an item
// of a row.
template <class BindPlace, class Read>
std::vector<ListedItem> ReadListing(StoreConnection& connection, const ListingSql& sql, int64_t id, DWORD index,
                                    const ListPosition& position, size_t count, BindPlace bindPlace, Read read)
{
    const auto after = ContinuesAfter(position, id, index);
    Statement at(connection, !after ? sql.counted : *after ? sql.next : sql.again);
    at.Bind(1, id).Bind(3, static_cast<int64_t>(count));
    if (after)
        bindPlace(at);
    else
        at.Bind(2, static_cast<int64_t>(index));
    std::vector<ListedItem> items;
    items.reserve(count);
    while (at.Step())
        items.push_back(read(at));
    return items;
}

} // namespace

std::optional<int64_t> RegistryStore::Find(const KeyPath& path) const
{
    Statement find(connection_, "SELECT id FROM keys WHERE upper = ?1");
    find.Bind(1, UpperPath(path));
    if (!find.Step())
        return std::nullopt;
    return find.Int(0);
}

std::optional<KeyPath> RegistryStore::PathOf(int64_t id) const
{
    Statement find(connection_, "SELECT path FROM keys WHERE id = ?1");
    find.Bind(1, id);
    if (!find.Step())
        return std::nullopt;
    return SplitKeyPath(find.Text(0));
}

int64_t RegistryStore::Create(const KeyPath& path, bool& created)
{
    Statement insert(connection_, "INSERT INTO keys(parent, name, path, upper, written) VALUES(?1, ?2, ?3, ?4, ?5)");
    int64_t id = 0;
    KeyPath prefix;
    for (const std::wstring& name : path) {
        prefix.push_back(name);
        created = false;
        if (const auto existing = Find(prefix)) {
            id = *existing;
            continue;
        }
        const std::wstring joined = JoinKeyPath(prefix);
        insert.Reset();
        insert.Bind(1, id).Bind(2, name).Bind(3, joined).Bind(4, UpperCase(joined)).Bind(5, FileTimeNow());
        insert.Step();
        id = sqlite3_last_insert_rowid(connection_.Get());
        created = true;
    }
    return id;
}

bool RegistryStore::IsProtected(const KeyPath& path, bool orBelow) const
{
    // Only the read-only keys are read, through their own index, so that the question costs the
    // same in a store of any size and a damaged part of the store elsewhere leaves it answerable.
    Statement marked(connection_, "SELECT 1 FROM keys WHERE protected = 1 AND upper = ?1");
    KeyPath prefix;
    for (const std::wstring& name : path) {
        prefix.push_back(name);
        marked.Reset();
        if (marked.Bind(1, UpperPath(prefix)).Step())
            return true;
    }
    if (!orBelow)
        return false;
    const std::wstring upper = UpperPath(path);
    Statement below(connection_, "SELECT 1 FROM keys WHERE protected = 1 AND upper > ?1 AND upper < ?2 LIMIT 1");
    return below.Bind(1, upper + L'\\').Bind(2, upper + L']').Step();
}

void RegistryStore::SetProtected(int64_t id, bool isProtected)
{
    Statement update(connection_, "UPDATE keys SET protected = ?2 WHERE id = ?1");
    update.Bind(1, id).Bind(2, isProtected ? 1 : 0).Step();
}

KeyInfo RegistryStore::Info(int64_t id) const
{
    KeyInfo info;
    Statement keys(connection_, "SELECT COUNT(*), COALESCE(MAX(length(name)), 0) FROM keys WHERE parent = ?1");
    keys.Bind(1, id).Step();
    info.subKeys = static_cast<DWORD>(keys.Int(0));
    info.longestSubKeyName = static_cast<DWORD>(keys.Int(1));
    Statement values(connection_, "SELECT COUNT(*), COALESCE(MAX(length(name)), 0), COALESCE(MAX(host_size), 0) "
                          "FROM vals WHERE key = ?1");
    values.Bind(1, id).Step();
    info.values = static_cast<DWORD>(values.Int(0));
    info.longestValueName = static_cast<DWORD>(values.Int(1));
    info.longestValueData = static_cast<DWORD>(values.Int(2));
    Statement written(connection_, "SELECT written FROM keys WHERE id = ?1");
    if (written.Bind(1, id).Step())
        info.lastWrite = written.Int(0);
    return info;
}

std::vector<ListedItem> RegistryStore::SubKeysFrom(int64_t id, DWORD index, const ListPosition& position,
                                                   size_t count) const
{
    static const ListingSql sql{
        "SELECT name, written, upper FROM keys WHERE parent = ?1 ORDER BY upper LIMIT ?3 OFFSET ?2",
        "SELECT name, written, upper FROM keys WHERE parent = ?1 AND upper > ?2 ORDER BY upper LIMIT ?3",
        "SELECT name, written, upper FROM keys WHERE parent = ?1 AND upper >= ?2 ORDER BY upper LIMIT ?3",
    };
    return ReadListing(
        connection_, sql, id, index, position, count,
        [&](Statement& at) { at.BindUtf8(2, position.item.upper); },
        [](const Statement& at) {
            ListedItem item;
            item.name = at.Text(0);
            item.written = at.Int(1);
            item.upper = at.Utf8(2);
            return item;
        });
}

bool RegistryStore::HasSubKeys(int64_t id) const
{
    Statement any(connection_, "SELECT 1 FROM keys WHERE parent = ?1 LIMIT 1");
    return any.Bind(1, id).Step();
}

void RegistryStore::DeleteBelow(const std::wstring& upperPath, bool includingItself)
{
    // Key names hold no backslash, so the keys below X are exactly those between "X\" and "X]".
    const char* const statements[] = {
        "DELETE FROM vals WHERE key IN (SELECT id FROM keys WHERE (upper > ?1 AND upper < ?2) OR (?3 AND upper = ?4))",
        "DELETE FROM keys WHERE (upper > ?1 AND upper < ?2) OR (?3 AND upper = ?4)",
    };
    for (const char* sql : statements) {
        Statement remove(connection_, sql);
        remove.Bind(1, upperPath + L'\\').Bind(2, upperPath + L']').Bind(3, includingItself ? 1 : 0).Bind(4, upperPath);
        remove.Step();
    }
}

void RegistryStore::DeleteTree(const KeyPath& path) { DeleteBelow(UpperPath(path), true); }

void RegistryStore::DeleteContents(int64_t id, const KeyPath& path)
{
    DeleteBelow(UpperPath(path), false);
    Statement values(connection_, "DELETE FROM vals WHERE key = ?1");
    values.Bind(1, id).Step();
    Touch(id);
}

std::optional<StoredValue> RegistryStore::Value(int64_t id, const std::wstring& name) const
{
    Statement find(connection_, "SELECT name, type, data FROM vals WHERE key = ?1 AND upper = ?2");
    if (!find.Bind(1, id).Bind(2, UpperCase(name)).Step())
        return std::nullopt;
    return StoredValue{find.Text(0), static_cast<DWORD>(find.Int(1)), find.Blob(2)};
}

std::vector<ListedItem> RegistryStore::ValuesFrom(int64_t id, DWORD index, const ListPosition& position,
                                                  size_t count) const
{
    static const ListingSql sql{
        "SELECT name, type, data, seq FROM vals WHERE key = ?1 ORDER BY seq LIMIT ?3 OFFSET ?2",
        "SELECT name, type, data, seq FROM vals WHERE key = ?1 AND seq > ?2 ORDER BY seq LIMIT ?3",
        "SELECT name, type, data, seq FROM vals WHERE key = ?1 AND seq >= ?2 ORDER BY seq LIMIT ?3",
    };
    return ReadListing(
        connection_, sql, id, index, position, count, [&](Statement& at) { at.Bind(2, position.item.seq); },
        [](const Statement& at) {
            ListedItem item;
            item.name = at.Text(0);
            item.type = static_cast<DWORD>(at.Int(1));
            item.data = at.Blob(2);
            item.seq = at.Int(3);
            return item;
        });
}

void RegistryStore::SetValue(int64_t id, const std::wstring& name, DWORD type, const std::string& data)
{
    Statement set(connection_, "INSERT INTO vals(key, name, upper, type, data, host_size) VALUES(?1, ?2, ?3, ?4, ?5, ?6) "
                       "ON CONFLICT(key, upper) DO UPDATE SET type = excluded.type, data = excluded.data, "
                       "host_size = excluded.host_size");
    set.Bind(1, id).Bind(2, name).Bind(3, UpperCase(name)).Bind(4, type).BindBlob(5, data);
    set.Bind(6, static_cast<int64_t>(HostFromStored(type, data).size())).Step();
    Touch(id);
}

bool RegistryStore::DeleteValue(int64_t id, const std::wstring& name)
{
    Statement remove(connection_, "DELETE FROM vals WHERE key = ?1 AND upper = ?2");
    remove.Bind(1, id).Bind(2, UpperCase(name)).Step();
    if (sqlite3_changes(connection_.Get()) == 0)
        return false;
    Touch(id);
    return true;
}

void RegistryStore::Touch(int64_t id)
{
    Statement touch(connection_, "UPDATE keys SET written = ?2 WHERE id = ?1");
    touch.Bind(1, id).Bind(2, FileTimeNow()).Step();
}

} // namespace platform::registry
