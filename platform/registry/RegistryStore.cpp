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

} // namespace

std::optional<int64_t> RegistryStore::Find(const KeyPath& path) const
{
    Statement find(db_, "SELECT id FROM keys WHERE upper = ?1");
    find.Bind(1, UpperPath(path));
    if (!find.Step())
        return std::nullopt;
    return find.Int(0);
}

std::optional<KeyPath> RegistryStore::PathOf(int64_t id) const
{
    Statement find(db_, "SELECT path FROM keys WHERE id = ?1");
    find.Bind(1, id);
    if (!find.Step())
        return std::nullopt;
    return SplitKeyPath(find.Text(0));
}

int64_t RegistryStore::Create(const KeyPath& path, bool& created)
{
    Statement insert(db_, "INSERT INTO keys(parent, name, path, upper, written) VALUES(?1, ?2, ?3, ?4, ?5)");
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
        id = sqlite3_last_insert_rowid(db_);
        created = true;
    }
    return id;
}

bool RegistryStore::IsProtected(const KeyPath& path, bool orBelow) const
{
    // Only the key, the keys above it and (when asked) the keys below it are read, each found
    // through the index of paths, so that a damaged part of the store elsewhere leaves the
    // question answerable.
    Statement marked(db_, "SELECT protected FROM keys WHERE upper = ?1");
    KeyPath prefix;
    for (const std::wstring& name : path) {
        prefix.push_back(name);
        marked.Reset();
        if (marked.Bind(1, UpperPath(prefix)).Step() && marked.Int(0) == 1)
            return true;
    }
    if (!orBelow)
        return false;
    const std::wstring upper = UpperPath(path);
    Statement below(db_, "SELECT 1 FROM keys WHERE upper > ?1 AND upper < ?2 AND protected = 1 LIMIT 1");
    return below.Bind(1, upper + L'\\').Bind(2, upper + L']').Step();
}

void RegistryStore::SetProtected(int64_t id, bool isProtected)
{
    Statement update(db_, "UPDATE keys SET protected = ?2 WHERE id = ?1");
    update.Bind(1, id).Bind(2, isProtected ? 1 : 0).Step();
}

KeyInfo RegistryStore::Info(int64_t id) const
{
    KeyInfo info;
    Statement keys(db_, "SELECT COUNT(*), COALESCE(MAX(length(name)), 0) FROM keys WHERE parent = ?1");
    keys.Bind(1, id).Step();
    info.subKeys = static_cast<DWORD>(keys.Int(0));
    info.longestSubKeyName = static_cast<DWORD>(keys.Int(1));
    Statement values(db_, "SELECT COUNT(*), COALESCE(MAX(length(name)), 0), COALESCE(MAX(host_size), 0) "
                          "FROM vals WHERE key = ?1");
    values.Bind(1, id).Step();
    info.values = static_cast<DWORD>(values.Int(0));
    info.longestValueName = static_cast<DWORD>(values.Int(1));
    info.longestValueData = static_cast<DWORD>(values.Int(2));
    Statement written(db_, "SELECT written FROM keys WHERE id = ?1");
    if (written.Bind(1, id).Step())
        info.lastWrite = written.Int(0);
    return info;
}

std::optional<std::wstring> RegistryStore::SubKeyAt(int64_t id, DWORD index, int64_t& lastWrite) const
{
    Statement at(db_, "SELECT name, written FROM keys WHERE parent = ?1 ORDER BY upper LIMIT 1 OFFSET ?2");
    if (!at.Bind(1, id).Bind(2, index).Step())
        return std::nullopt;
    lastWrite = at.Int(1);
    return at.Text(0);
}

void RegistryStore::DeleteBelow(const std::wstring& upperPath, bool includingItself)
{
    // Key names hold no backslash, so the keys below X are exactly those between "X\" and "X]".
    static const char* const kSelection = "(upper > ?1 AND upper < ?2) OR (?3 AND upper = ?4)";
    const std::string values = std::string("DELETE FROM vals WHERE key IN (SELECT id FROM keys WHERE ") + kSelection + ")";
    const std::string keys = std::string("DELETE FROM keys WHERE ") + kSelection;
    for (const std::string& sql : {values, keys}) {
        Statement remove(db_, sql.c_str());
        remove.Bind(1, upperPath + L'\\').Bind(2, upperPath + L']').Bind(3, includingItself ? 1 : 0).Bind(4, upperPath);
        remove.Step();
    }
}

void RegistryStore::DeleteTree(const KeyPath& path) { DeleteBelow(UpperPath(path), true); }

void RegistryStore::DeleteContents(int64_t id, const KeyPath& path)
{
    DeleteBelow(UpperPath(path), false);
    Statement values(db_, "DELETE FROM vals WHERE key = ?1");
    values.Bind(1, id).Step();
    Touch(id);
}

std::optional<StoredValue> RegistryStore::Value(int64_t id, const std::wstring& name) const
{
    Statement find(db_, "SELECT name, type, data FROM vals WHERE key = ?1 AND upper = ?2");
    if (!find.Bind(1, id).Bind(2, UpperCase(name)).Step())
        return std::nullopt;
    return StoredValue{find.Text(0), static_cast<DWORD>(find.Int(1)), find.Blob(2)};
}

std::optional<StoredValue> RegistryStore::ValueAt(int64_t id, DWORD index) const
{
    Statement at(db_, "SELECT name, type, data FROM vals WHERE key = ?1 ORDER BY seq LIMIT 1 OFFSET ?2");
    if (!at.Bind(1, id).Bind(2, index).Step())
        return std::nullopt;
    return StoredValue{at.Text(0), static_cast<DWORD>(at.Int(1)), at.Blob(2)};
}

void RegistryStore::SetValue(int64_t id, const std::wstring& name, DWORD type, const std::string& data)
{
    Statement set(db_, "INSERT INTO vals(key, name, upper, type, data, host_size) VALUES(?1, ?2, ?3, ?4, ?5, ?6) "
                       "ON CONFLICT(key, upper) DO UPDATE SET type = excluded.type, data = excluded.data, "
                       "host_size = excluded.host_size");
    set.Bind(1, id).Bind(2, name).Bind(3, UpperCase(name)).Bind(4, type).BindBlob(5, data);
    set.Bind(6, static_cast<int64_t>(HostFromStored(type, data).size())).Step();
    Touch(id);
}

bool RegistryStore::DeleteValue(int64_t id, const std::wstring& name)
{
    Statement remove(db_, "DELETE FROM vals WHERE key = ?1 AND upper = ?2");
    remove.Bind(1, id).Bind(2, UpperCase(name)).Step();
    if (sqlite3_changes(db_) == 0)
        return false;
    Touch(id);
    return true;
}

void RegistryStore::Touch(int64_t id)
{
    Statement touch(db_, "UPDATE keys SET written = ?2 WHERE id = ?1");
    touch.Bind(1, id).Bind(2, FileTimeNow()).Step();
}

} // namespace platform::registry
