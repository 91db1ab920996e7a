// Keys and values in registry.db, by physical path (no view applied). Keys carry their path both
// as created and upper-cased (for lookups ignoring case); their ids are never reused, so a handle
// holding the id of a deleted key sees that it was deleted even when the path exists again.
// Subkeys are listed in alphabetical order ignoring case, as Windows lists them; values in the
// order they were first set (setting a value again keeps its place).
#pragma once

#include "RegistryPath.h"

#include "platform/win/Types.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform::registry {

class StoreConnection;

struct StoredValue {
    std::wstring name;
    DWORD type = 0;
    std::string data; // as Windows stores it: string types in UTF-16LE
};

struct KeyInfo {
    DWORD subKeys = 0;
    DWORD longestSubKeyName = 0;   // characters
    DWORD values = 0;
    DWORD longestValueName = 0;    // characters
    DWORD longestValueData = 0;    // host bytes (see ValueData.h)
    int64_t lastWrite = 0;         // FILETIME
};

// One subkey or value as a listing hands it out.
struct ListedItem {
    std::wstring name;
    std::string upper;   // a subkey's path, upper-cased, as the store holds it (UTF-8)
    int64_t written = 0; // a subkey's last write (FILETIME)
    int64_t seq = 0;     // a value's place
    DWORD type = 0;      // a value's type and stored data
    std::string data;
};

// Where a listing of one key's subkeys or values stands: the index last handed out and the item
// there, from which the next index goes on without counting from the first item again.
struct ListPosition {
    int64_t key = 0; // 0: nothing listed yet
    DWORD index = 0;
    ListedItem item;
};

class RegistryStore {
public:
    explicit RegistryStore(StoreConnection& connection) : connection_(connection) {}

    std::optional<int64_t> Find(const KeyPath& path) const;
    // The key's path; nothing when the key was deleted.
    std::optional<KeyPath> PathOf(int64_t id) const;
    // Creates the key and any missing key above it; tells whether the key itself was new.
    int64_t Create(const KeyPath& path, bool& created);

    // Whether the key or a key above it (or, asked for, a key below it) is marked read-only.
    bool IsProtected(const KeyPath& path, bool orBelow = false) const;
    void SetProtected(int64_t id, bool isProtected);

    KeyInfo Info(int64_t id) const;
    // Up to count subkeys from index on, found from position when it stands at that index or the
    // one before: a listing that asks for one index after the other reads each subkey once. Asked
    // from a position, it goes on after the name found there, so a key that exists throughout a
    // listing is listed exactly once while other keys come and go.
    std::vector<ListedItem> SubKeysFrom(int64_t id, DWORD index, const ListPosition& position, size_t count) const;
    bool HasSubKeys(int64_t id) const;
    // Deletes the key with everything below it.
    void DeleteTree(const KeyPath& path);
    // Deletes the key's values and subkeys, keeping the key.
    void DeleteContents(int64_t id, const KeyPath& path);

    std::optional<StoredValue> Value(int64_t id, const std::wstring& name) const;
    // Up to count values from index on, found as SubKeysFrom finds subkeys.
    std::vector<ListedItem> ValuesFrom(int64_t id, DWORD index, const ListPosition& position, size_t count) const;
    void SetValue(int64_t id, const std::wstring& name, DWORD type, const std::string& data);
    bool DeleteValue(int64_t id, const std::wstring& name);

private:
    void Touch(int64_t id);
    void DeleteBelow(const std::wstring& upperPath, bool includingItself);

    StoreConnection& connection_;
};

} // namespace platform::registry
