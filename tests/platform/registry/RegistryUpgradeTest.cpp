#include "RegistryTestSupport.h"

#include "platform/Machine.h"
#include "platform/Text.h"

#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <sqlite3.h>
#include <string>
#include <vector>

using namespace registry_test;
using testing_support::TempMachine;

namespace {

// The store as the first release of the layer laid it out (format 0, no user_version).
const char kFirstSchema[] = R"(
CREATE TABLE keys(
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    parent INTEGER NOT NULL,
    name TEXT NOT NULL,
    path TEXT NOT NULL,
    upper TEXT NOT NULL UNIQUE,
    written INTEGER NOT NULL,
    protected INTEGER NOT NULL DEFAULT 0);
CREATE INDEX keys_by_parent ON keys(parent, upper);
CREATE TABLE vals(
    seq INTEGER PRIMARY KEY AUTOINCREMENT,
    key INTEGER NOT NULL,
    name TEXT NOT NULL,
    upper TEXT NOT NULL,
    type INTEGER NOT NULL,
    data BLOB NOT NULL,
    host_size INTEGER NOT NULL,
    UNIQUE(key, upper));
CREATE INDEX vals_in_order ON vals(key, seq);
CREATE TABLE meta(name TEXT PRIMARY KEY, value TEXT);
INSERT INTO meta(name, value) VALUES('created', '1');
PRAGMA journal_mode=WAL;
)";

constexpr int kManyKeys = 40;

// Writes a store of the first format with SQL alone, as that release left it on a disk.
class FirstFormatStore {
public:
    explicit FirstFormatStore(const std::string& path)
    {
        EXPECT_EQ(SQLITE_OK, sqlite3_open(path.c_str(), &db_));
        EXPECT_EQ(SQLITE_OK, sqlite3_exec(db_, kFirstSchema, nullptr, nullptr, nullptr));
    }
    ~FirstFormatStore() { sqlite3_close(db_); }

    // The key with the keys above it; its id.
    sqlite3_int64 Key(const std::wstring& path, bool isProtected = false)
    {
        sqlite3_int64 parent = 0;
        std::wstring prefix;
        for (size_t start = 0; start <= path.size();) {
            const size_t end = std::min(path.find(L'\\', start), path.size());
            const std::wstring name = path.substr(start, end - start);
            prefix += (prefix.empty() ? L"" : L"\\") + name;
            const bool last = end == path.size();
            Run("INSERT OR IGNORE INTO keys(parent, name, path, upper, written, protected) VALUES(?, ?, ?, ?, 1, ?)",
                {std::to_string(parent), Utf8(name), Utf8(prefix), Utf8(platform::UpperCase(prefix)),
                 last && isProtected ? "1" : "0"});
            parent = IdOf(prefix);
            start = end + 1;
        }
        return parent;
    }

    void Text(sqlite3_int64 key, const std::wstring& name, const std::wstring& text)
    {
        const std::wstring terminated = text + L'\0';
        Value(key, name, REG_SZ, platform::ToUtf16LEBytes(terminated), terminated.size() * sizeof(wchar_t));
    }

    void Number(sqlite3_int64 key, const std::wstring& name, DWORD number)
    {
        Value(key, name, REG_DWORD, std::string(reinterpret_cast<const char*>(&number), sizeof(number)), sizeof(number));
    }

private:
    static std::string Utf8(const std::wstring& text) { return platform::ToUtf8(text); }

    void Value(sqlite3_int64 key, const std::wstring& name, DWORD type, const std::string& data, size_t hostSize)
    {
        sqlite3_stmt* insert = nullptr;
        ASSERT_EQ(SQLITE_OK, sqlite3_prepare_v2(db_, "INSERT INTO vals(key, name, upper, type, data, host_size) "
                                                     "VALUES(?, ?, ?, ?, ?, ?)", -1, &insert, nullptr));
        const std::string utf8 = Utf8(name), upper = Utf8(platform::UpperCase(name));
        sqlite3_bind_int64(insert, 1, key);
        sqlite3_bind_text(insert, 2, utf8.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 3, upper.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int64(insert, 4, type);
        sqlite3_bind_blob(insert, 5, data.data(), static_cast<int>(data.size()), SQLITE_TRANSIENT);
        sqlite3_bind_int64(insert, 6, static_cast<sqlite3_int64>(hostSize));
        EXPECT_EQ(SQLITE_DONE, sqlite3_step(insert));
        sqlite3_finalize(insert);
    }

    void Run(const char* sql, const std::vector<std::string>& arguments)
    {
        sqlite3_stmt* statement = nullptr;
        ASSERT_EQ(SQLITE_OK, sqlite3_prepare_v2(db_, sql, -1, &statement, nullptr));
        for (size_t i = 0; i < arguments.size(); ++i)
            sqlite3_bind_text(statement, static_cast<int>(i + 1), arguments[i].c_str(), -1, SQLITE_TRANSIENT);
        EXPECT_EQ(SQLITE_DONE, sqlite3_step(statement));
        sqlite3_finalize(statement);
    }

    sqlite3_int64 IdOf(const std::wstring& path)
    {
        sqlite3_stmt* find = nullptr;
        sqlite3_prepare_v2(db_, "SELECT id FROM keys WHERE upper = ?", -1, &find, nullptr);
        const std::string upper = Utf8(platform::UpperCase(path));
        sqlite3_bind_text(find, 1, upper.c_str(), -1, SQLITE_TRANSIENT);
        const sqlite3_int64 id = sqlite3_step(find) == SQLITE_ROW ? sqlite3_column_int64(find, 0) : 0;
        sqlite3_finalize(find);
        return id;
    }

    sqlite3* db_ = nullptr;
};

// A one-number answer of SQL run on the machine's store.
long long Ask(const char* sql)
{
    sqlite3* db = nullptr;
    sqlite3_open((platform::Machine().root + "/registry.db").c_str(), &db);
    sqlite3_stmt* statement = nullptr;
    long long answer = -1;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) == SQLITE_OK && sqlite3_step(statement) == SQLITE_ROW)
        answer = sqlite3_column_int64(statement, 0);
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return answer;
}

} // namespace

TEST(RegistryUpgrade, AStoreOfTheFirstFormatIsUpgradedKeepingEveryKeyAndValue)
{
    TempMachine machine;
    {
        FirstFormatStore store(machine.Root() + "/registry.db");
        for (const wchar_t* standard : {L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes", L"HKEY_LOCAL_MACHINE\\SYSTEM",
                                        L"HKEY_CURRENT_USER\\Software\\Classes", L"HKEY_USERS\\.DEFAULT",
                                        L"HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node"})
            store.Key(standard);
        const auto product = store.Key(L"HKEY_CURRENT_USER\\Software\\Orvane\\Quarnel");
        store.Text(product, L"Version", L"3.1");
        store.Number(product, L"Runs", 5);
        for (int n = 0; n < kManyKeys; ++n)
            store.Number(store.Key(L"HKEY_CURRENT_USER\\Software\\Orvane\\Many\\K" + std::to_wstring(100 + n)), L"N",
                         static_cast<DWORD>(n));
        store.Key(L"HKEY_LOCAL_MACHINE\\SYSTEM\\Locked", true);
    }
    ASSERT_EQ(0, Ask("PRAGMA user_version"));

    Key product;
    ASSERT_EQ(ERROR_SUCCESS, Open(product, HKEY_CURRENT_USER, L"Software\\Orvane\\Quarnel", KEY_ALL_ACCESS));
    EXPECT_EQ(std::wstring(L"3.1", 4), QueryText(product, L"Version"));
    EXPECT_EQ(5u, QueryDword(product, L"Runs"));
    Key many;
    ASSERT_EQ(ERROR_SUCCESS, Open(many, HKEY_CURRENT_USER, L"Software\\Orvane\\Many"));
    const std::vector<std::wstring> names = Names(many, false);
    ASSERT_EQ(static_cast<size_t>(kManyKeys), names.size());
    for (int n = 0; n < kManyKeys; ++n) {
        EXPECT_EQ(L"K" + std::to_wstring(100 + n), names[n]);
        Key one;
        ASSERT_EQ(ERROR_SUCCESS, Open(one, many, names[n].c_str()));
        EXPECT_EQ(static_cast<DWORD>(n), QueryDword(one, L"N"));
    }
    Key locked;
    EXPECT_EQ(ERROR_ACCESS_DENIED, Open(locked, HKEY_LOCAL_MACHINE, L"SYSTEM\\Locked", KEY_SET_VALUE));
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SYSTEM"));

    EXPECT_EQ(1, Ask("PRAGMA user_version"));
    EXPECT_EQ(1, Ask("SELECT COUNT(*) FROM sqlite_master WHERE type = 'index' AND name = 'keys_protected'"));
    EXPECT_EQ(ERROR_SUCCESS, SetString(product, L"After", L"upgrade"));
    EXPECT_EQ(std::wstring(L"upgrade", 8), QueryText(product, L"After"));
}
