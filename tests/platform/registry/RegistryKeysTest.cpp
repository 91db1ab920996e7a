#include "RegistryTestSupport.h"

#include "platform/RegistrySeed.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace registry_test;
using testing_support::TempMachine;

TEST(RegistryKeys, CreateMakesIntermediateKeysAndOpensExistingOnes)
{
    TempMachine machine;
    Key deep;
    DWORD disposition = 0;
    ASSERT_EQ(Create(deep, HKEY_CURRENT_USER, L"Software\\Orvane\\Quarnel\\Deep", KEY_ALL_ACCESS, &disposition), ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    EXPECT_TRUE(Exists(HKEY_CURRENT_USER, L"Software\\Orvane\\Quarnel"));

    Key again;
    ASSERT_EQ(Create(again, HKEY_CURRENT_USER, L"Software\\Orvane\\Quarnel\\Deep\\", KEY_ALL_ACCESS, &disposition), ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);

    Key relative;
    Key parent;
    ASSERT_EQ(Open(parent, HKEY_CURRENT_USER, L"Software\\Orvane"), ERROR_SUCCESS);
    EXPECT_EQ(Open(relative, parent, L"Quarnel\\Deep"), ERROR_SUCCESS);
    Key same;
    EXPECT_EQ(Open(same, parent, nullptr), ERROR_SUCCESS);
    EXPECT_NE(same.Get(), parent.Get());

    HKEY missing = reinterpret_cast<HKEY>(1);
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Nowhere\\Deep", 0, KEY_READ, &missing), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(missing, nullptr);
}

TEST(RegistryKeys, NamesIgnoreCaseButKeepTheirCase)
{
    TempMachine machine;
    Key key;
    ASSERT_EQ(Create(key, HKEY_CURRENT_USER, L"Software\\MiXed\\Child"), ERROR_SUCCESS);
    EXPECT_TRUE(Exists(HKEY_CURRENT_USER, L"SOFTWARE\\mixed\\CHILD"));
    Key other;
    DWORD disposition = 0;
    ASSERT_EQ(Create(other, HKEY_CURRENT_USER, L"software\\MIXED", KEY_ALL_ACCESS, &disposition), ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    Key software;
    ASSERT_EQ(Open(software, HKEY_CURRENT_USER, L"Software"), ERROR_SUCCESS);
    const auto names = Names(software, false);
    EXPECT_NE(std::find(names.begin(), names.end(), L"MiXed"), names.end());
}

TEST(RegistryKeys, EnumerationIsAlphabeticalIgnoringCaseAndReportsSmallBuffers)
{
    TempMachine machine;
    Key parent;
    ASSERT_EQ(Create(parent, HKEY_CURRENT_USER, L"Software\\List"), ERROR_SUCCESS);
    for (const wchar_t* name : {L"beta", L"Alpha", L"gamma", L"Delta"}) {
        Key child;
        ASSERT_EQ(Create(child, parent, name), ERROR_SUCCESS);
    }
    EXPECT_EQ(Names(parent, false), (std::vector<std::wstring>{L"Alpha", L"beta", L"Delta", L"gamma"}));

    wchar_t name[8] = L"xxxxxxx";
    DWORD chars = 5; // "Alpha" needs 6 with its terminator
    EXPECT_EQ(RegEnumKeyExW(parent, 0, name, &chars, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
    chars = 6;
    EXPECT_EQ(RegEnumKeyExW(parent, 0, name, &chars, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(chars, 5u);
    EXPECT_STREQ(name, L"Alpha");
    chars = 8;
    EXPECT_EQ(RegEnumKeyExW(parent, 4, name, &chars, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
    EXPECT_EQ(RegEnumKeyExW(parent, 0, nullptr, &chars, nullptr, nullptr, nullptr, nullptr), ERROR_INVALID_PARAMETER);
}

TEST(RegistryKeys, QueryInfoReportsCountsAndLongestSizes)
{
    TempMachine machine;
    Key key;
    ASSERT_EQ(Create(key, HKEY_CURRENT_USER, L"Software\\Info"), ERROR_SUCCESS);
    for (const wchar_t* name : {L"ab", L"abcdef"}) {
        Key child;
        ASSERT_EQ(Create(child, key, name), ERROR_SUCCESS);
    }
    ASSERT_EQ(SetString(key, L"x", L"hello"), ERROR_SUCCESS);
    ASSERT_EQ(SetDword(key, L"LongerName", 7), ERROR_SUCCESS);

    DWORD subKeys = 0, longestSubKey = 0, values = 0, longestName = 0, longestData = 0;
    FILETIME written{};
    ASSERT_EQ(RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subKeys, &longestSubKey, nullptr, &values, &longestName,
                               &longestData, nullptr, &written),
              ERROR_SUCCESS);
    EXPECT_EQ(subKeys, 2u);
    EXPECT_EQ(longestSubKey, 6u);
    EXPECT_EQ(values, 2u);
    EXPECT_EQ(longestName, 10u);
    EXPECT_EQ(longestData, 6 * sizeof(wchar_t)); // host bytes of "hello" and its terminator
    EXPECT_NE(written.dwHighDateTime, 0u);
}

TEST(RegistryKeys, DeleteKeyNeedsAnEmptyKeyAndDeleteTreeTakesEverything)
{
    TempMachine machine;
    Key leaf;
    ASSERT_EQ(Create(leaf, HKEY_CURRENT_USER, L"Software\\Tree\\Branch\\Leaf"), ERROR_SUCCESS);
    ASSERT_EQ(SetString(leaf, L"v", L"x"), ERROR_SUCCESS);
    leaf.Close();

    EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Tree\\Branch"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Tree\\Branch\\Leaf"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Tree\\Branch\\Leaf"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Tree\\Branch"), ERROR_SUCCESS);

    ASSERT_EQ(Create(leaf, HKEY_CURRENT_USER, L"Software\\Tree\\A\\B"), ERROR_SUCCESS);
    ASSERT_EQ(SetString(leaf, L"v", L"x"), ERROR_SUCCESS);
    Key tree;
    ASSERT_EQ(Open(tree, HKEY_CURRENT_USER, L"Software\\Tree", KEY_ALL_ACCESS), ERROR_SUCCESS);
    ASSERT_EQ(SetString(tree, L"own", L"y"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteTreeW(tree, nullptr), ERROR_SUCCESS);
    EXPECT_TRUE(Exists(HKEY_CURRENT_USER, L"Software\\Tree"));
    DWORD subKeys = 1, values = 1;
    ASSERT_EQ(RegQueryInfoKeyW(tree, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values, nullptr, nullptr,
                               nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(subKeys, 0u);
    EXPECT_EQ(values, 0u);

    ASSERT_EQ(Create(leaf, HKEY_CURRENT_USER, L"Software\\Tree\\A\\B"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Tree"), ERROR_SUCCESS);
    EXPECT_FALSE(Exists(HKEY_CURRENT_USER, L"Software\\Tree"));
    EXPECT_TRUE(Exists(HKEY_CURRENT_USER, L"Software"));
    EXPECT_EQ(RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Tree"), ERROR_FILE_NOT_FOUND);
}

TEST(RegistryKeys, RootKeysAndTheKeysBehindThemStay)
{
    TempMachine machine;
    EXPECT_EQ(RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\WOW6432Node", KEY_WOW64_64KEY, 0), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\WOW6432Node"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteTreeW(HKEY_LOCAL_MACHINE, nullptr), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteKeyW(HKEY_CLASSES_ROOT, L""), ERROR_ACCESS_DENIED);
    EXPECT_TRUE(Exists(HKEY_CLASSES_ROOT, nullptr));
}

TEST(RegistryKeys, HandleOfADeletedKeyReportsItDeleted)
{
    TempMachine machine;
    HKEY held = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Doomed", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &held,
                              nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(SetDword(held, L"n", 1), ERROR_SUCCESS);
    ASSERT_EQ(RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Doomed"), ERROR_SUCCESS);

    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExW(held, L"n", nullptr, nullptr, nullptr, &size), ERROR_KEY_DELETED);
    EXPECT_EQ(SetDword(held, L"n", 2), ERROR_KEY_DELETED);
    Key child;
    EXPECT_EQ(Create(child, held, L"Child"), ERROR_KEY_DELETED);

    // The same path made again is a different key.
    Key remade;
    ASSERT_EQ(Create(remade, HKEY_CURRENT_USER, L"Software\\Doomed"), ERROR_SUCCESS);
    EXPECT_EQ(SetDword(held, L"n", 3), ERROR_KEY_DELETED);
    EXPECT_EQ(RegCloseKey(held), ERROR_SUCCESS);
}

TEST(RegistryKeys, BadHandlesAndArgumentsAreRefused)
{
    TempMachine machine;
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExW(nullptr, L"x", nullptr, nullptr, nullptr, &size), ERROR_INVALID_HANDLE);
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Closed", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegFlushKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegFlushKey(key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(SetDword(key, L"x", 1), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);

    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, nullptr), ERROR_INVALID_PARAMETER);
    Key out;
    EXPECT_EQ(Open(out, HKEY_CURRENT_USER, L"\\Software"), ERROR_BAD_PATHNAME);
    EXPECT_EQ(Create(out, HKEY_CURRENT_USER, L"Software\\\\Twice"), ERROR_BAD_PATHNAME);
    EXPECT_EQ(Create(out, HKEY_CURRENT_USER, (L"Software\\" + std::wstring(256, L'k')).c_str()), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(Open(out, HKEY_CURRENT_USER, L"Software", KEY_READ | KEY_WOW64_32KEY | KEY_WOW64_64KEY),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, nullptr), ERROR_INVALID_PARAMETER);
}

TEST(RegistryKeys, HandlesRefuseWhatTheirAccessDoesNotGrant)
{
    TempMachine machine;
    Key writable;
    ASSERT_EQ(Create(writable, HKEY_CURRENT_USER, L"Software\\Access"), ERROR_SUCCESS);
    ASSERT_EQ(SetDword(writable, L"n", 1), ERROR_SUCCESS);

    Key reader;
    ASSERT_EQ(Open(reader, HKEY_CURRENT_USER, L"Software\\Access", KEY_READ), ERROR_SUCCESS);
    EXPECT_EQ(QueryDword(reader, L"n"), 1u);
    EXPECT_EQ(SetDword(reader, L"n", 2), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteValueW(reader, L"n"), ERROR_ACCESS_DENIED);
    Key child;
    EXPECT_EQ(Create(child, reader, L"New"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteTreeW(reader, nullptr), ERROR_ACCESS_DENIED);

    Key writer;
    ASSERT_EQ(Open(writer, HKEY_CURRENT_USER, L"Software\\Access", KEY_WRITE), ERROR_SUCCESS);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExW(writer, L"n", nullptr, nullptr, nullptr, &size), ERROR_ACCESS_DENIED);
    wchar_t name[16];
    DWORD chars = 16;
    EXPECT_EQ(RegEnumKeyExW(writer, 0, name, &chars, nullptr, nullptr, nullptr, nullptr), ERROR_ACCESS_DENIED);
    EXPECT_EQ(SetDword(writer, L"n", 3), ERROR_SUCCESS);
    EXPECT_EQ(QueryDword(reader, L"n"), 3u);
}

TEST(RegistryKeys, ProtectedKeysOpenOnlyForReading)
{
    TempMachine machine;
    ASSERT_EQ(platform::SetRegistryKeyProtected(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Maker\\Locked", true), ERROR_SUCCESS);
    Key key;
    EXPECT_EQ(Open(key, HKEY_LOCAL_MACHINE, L"SOFTWARE\\Maker\\Locked", KEY_ALL_ACCESS), ERROR_ACCESS_DENIED);
    EXPECT_EQ(Create(key, HKEY_LOCAL_MACHINE, L"SOFTWARE\\Maker\\Locked", KEY_ALL_ACCESS), ERROR_ACCESS_DENIED);
    EXPECT_EQ(Create(key, HKEY_LOCAL_MACHINE, L"SOFTWARE\\Maker\\Locked\\Below", KEY_READ), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Maker\\Locked"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Maker"), ERROR_ACCESS_DENIED);
    EXPECT_TRUE(Exists(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Maker\\Locked"));

    // What a program does on Windows without administrator rights: fall back to reading.
    ASSERT_EQ(Open(key, HKEY_LOCAL_MACHINE, L"SOFTWARE\\Maker\\Locked", KEY_READ), ERROR_SUCCESS);
    EXPECT_EQ(SetDword(key, L"n", 1), ERROR_ACCESS_DENIED);

    Key sibling;
    EXPECT_EQ(Create(sibling, HKEY_LOCAL_MACHINE, L"SOFTWARE\\Maker\\Open"), ERROR_SUCCESS);

    ASSERT_EQ(platform::SetRegistryKeyProtected(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Maker\\Locked", false), ERROR_SUCCESS);
    EXPECT_EQ(Open(key, HKEY_LOCAL_MACHINE, L"SOFTWARE\\Maker\\Locked", KEY_ALL_ACCESS), ERROR_SUCCESS);
    EXPECT_EQ(SetDword(key, L"n", 1), ERROR_SUCCESS);
}

TEST(RegistryKeys, ADamagedStoreIsReportedAndLeftAsItWas)
{
    TempMachine machine;
    const std::string garbage(4096, '\x5a');
    const std::string path = machine.WriteFile("registry.db", garbage);
    Key key;
    EXPECT_EQ(Create(key, HKEY_CURRENT_USER, L"Software\\X"), ERROR_REGISTRY_CORRUPT);
    EXPECT_FALSE(Exists(HKEY_CURRENT_USER, L"Software"));
    EXPECT_EQ(testing_support::ReadFile(path), garbage);
}
