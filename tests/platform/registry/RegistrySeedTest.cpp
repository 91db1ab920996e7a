#include "RegistryTestSupport.h"

#include "platform/Machine.h"
#include "platform/RegistrySeed.h"
#include "platform/Text.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

using namespace registry_test;
using testing_support::TempMachine;

namespace {

const wchar_t kRepresentative[] =
    L"\uFEFFWindows Registry Editor Version 5.00\r\n"
    L"\r\n"
    L"; what an installer of the maker leaves behind\r\n"
    L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Orvane\\Quarnel]\r\n"
    L"\"InstallPath\"=\"C:\\\\Program Files (x86)\\\\Orvane \\\"Quarnel\\\"\"\r\n"
    L"@=\"default text\"\r\n"
    L"\"Build\"=dword:0000002a\r\n"
    L"\"Blob\"=hex:de,ad,be,ef\r\n"
    L"\"Expand\"=hex(2):25,00,54,00,45,00,4d,00,50,00,25,00,00,00\r\n"
    L"\"Multi\"=hex(7):61,00,00,00,62,00,63,00,00,00,\\\r\n"
    L"  00,00\r\n"
    L"\"Big\"=hex(b):ef,cd,ab,89,67,45,23,01\r\n"
    L"\"Odd\"=hex(100):01,02\r\n"
    L"\"Empty\"=hex:\r\n"
    L"\"Gone\"=\"soon\"\r\n"
    L"\"Gone\"=-\r\n"
    L"\r\n"
    L"[HKEY_CLASSES_ROOT\\.iso]\r\n"
    L"@=\"Orvane.Image\"\r\n"
    L"\r\n"
    L"[HKEY_CURRENT_USER\\Software\\Old\\Deep]\r\n"
    L"\"x\"=dword:00000001\r\n"
    L"[-HKEY_CURRENT_USER\\Software\\Old]\r\n"
    L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Native]\r\n";

void ExpectRefused(const std::wstring& text, const std::wstring& line)
{
    const auto result = platform::ImportRegistryText(text);
    EXPECT_FALSE(result.ok) << platform::ToUtf8(text);
    EXPECT_NE(result.message.find(line), std::wstring::npos) << platform::ToUtf8(result.message);
}

} // namespace

TEST(RegistrySeed, ImportsEveryKindOfEntry)
{
    TempMachine machine;
    const auto result = platform::ImportRegistryText(kRepresentative);
    ASSERT_TRUE(result.ok) << platform::ToUtf8(result.message);

    Key key; // the 32-bit view of what was written below WOW6432Node
    ASSERT_EQ(Open(key, HKEY_LOCAL_MACHINE, L"SOFTWARE\\Orvane\\Quarnel"), ERROR_SUCCESS);
    EXPECT_EQ(QueryText(key, L"InstallPath"), std::wstring(L"C:\\Program Files (x86)\\Orvane \"Quarnel\"") + L'\0');
    EXPECT_EQ(QueryText(key, nullptr), std::wstring(L"default text") + L'\0');
    EXPECT_EQ(QueryDword(key, L"Build"), 42u);
    DWORD type = 0;
    EXPECT_EQ(QueryText(key, L"Expand", &type), std::wstring(L"%TEMP%") + L'\0');
    EXPECT_EQ(type, REG_EXPAND_SZ);
    EXPECT_EQ(QueryText(key, L"Multi", &type), std::wstring(L"a\0bc\0\0", 6));
    EXPECT_EQ(type, REG_MULTI_SZ);

    BYTE bytes[8] = {};
    DWORD size = sizeof(bytes);
    ASSERT_EQ(RegQueryValueExW(key, L"Blob", nullptr, &type, bytes, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_BINARY);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(bytes), size), "\xde\xad\xbe\xef");
    ULONGLONG big = 0;
    size = sizeof(big);
    ASSERT_EQ(RegQueryValueExW(key, L"Big", nullptr, &type, reinterpret_cast<BYTE*>(&big), &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_QWORD);
    EXPECT_EQ(big, 0x0123456789ABCDEFull);
    size = sizeof(bytes);
    ASSERT_EQ(RegQueryValueExW(key, L"Odd", nullptr, &type, bytes, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, 0x100u);
    EXPECT_EQ(size, 2u);
    size = sizeof(bytes);
    ASSERT_EQ(RegQueryValueExW(key, L"Empty", nullptr, &type, bytes, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(RegQueryValueExW(key, L"Gone", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);

    Key image;
    ASSERT_EQ(Open(image, HKEY_CLASSES_ROOT, L".iso"), ERROR_SUCCESS);
    EXPECT_EQ(QueryText(image, nullptr), std::wstring(L"Orvane.Image") + L'\0');
    EXPECT_FALSE(Exists(HKEY_CURRENT_USER, L"Software\\Old"));
    EXPECT_TRUE(Exists(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Native", KEY_WOW64_64KEY));
    EXPECT_FALSE(Exists(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Native"));
}

TEST(RegistrySeed, StringDataIsStoredAsUtf16)
{
    TempMachine machine;
    // U+1F600 takes two UTF-16 units in the file and one wchar_t here.
    const auto result = platform::ImportRegistryText(L"Windows Registry Editor Version 5.00\n"
                                                     L"[HKEY_CURRENT_USER\\Software\\Text]\n"
                                                     L"\"smile\"=hex(1):3d,d8,00,de,00,00\n"
                                                     L"\"same\"=\"\U0001F600\"\n");
    ASSERT_TRUE(result.ok) << platform::ToUtf8(result.message);
    Key key;
    ASSERT_EQ(Open(key, HKEY_CURRENT_USER, L"Software\\Text"), ERROR_SUCCESS);
    EXPECT_EQ(QueryText(key, L"smile"), std::wstring(L"\U0001F600") + L'\0');
    EXPECT_EQ(QueryText(key, L"same"), QueryText(key, L"smile"));
}

TEST(RegistrySeed, ReadsUtf16AndUtf8Files)
{
    TempMachine machine;
    const std::wstring text = L"Windows Registry Editor Version 5.00\r\n[HKEY_CURRENT_USER\\Software\\Fil\u00e9]\r\n";
    const std::string utf16 = machine.WriteFile("utf16.reg", "\xFF\xFE" + platform::ToUtf16LEBytes(text));
    ASSERT_TRUE(platform::ImportRegistryFile(utf16).ok);
    EXPECT_TRUE(Exists(HKEY_CURRENT_USER, L"Software\\Fil\u00e9"));

    const std::string utf8 = machine.WriteFile("utf8.reg", "\xEF\xBB\xBFWindows Registry Editor Version 5.00\n[HKEY_USERS\\.DEFAULT\\Caf\xC3\xA9]\n");
    ASSERT_TRUE(platform::ImportRegistryFile(utf8).ok);
    EXPECT_TRUE(Exists(HKEY_USERS, L".DEFAULT\\Caf\u00e9"));

    const auto missing = platform::ImportRegistryFile(machine.Root() + "/none.reg");
    EXPECT_FALSE(missing.ok);
    EXPECT_NE(missing.message.find(L"none.reg"), std::wstring::npos);
}

TEST(RegistrySeed, DamagedTextChangesNothingAndSaysWhere)
{
    TempMachine machine;
    const std::wstring head = L"Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\Software\\Partial]\n";
    ExpectRefused(L"REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Partial]\n", L"line 1:");
    ExpectRefused(L"", L"empty");
    ExpectRefused(head + L"\"a\"=hex:zz\n", L"line 3:");
    ExpectRefused(head + L"\"a\"=\"open\n", L"line 3:");
    ExpectRefused(head + L"\"a\"=\"bad \\q escape\"\n", L"line 3:");
    ExpectRefused(head + L"\"a\"=dword:123456789\n", L"line 3:");
    ExpectRefused(head + L"\"a\" \"b\"\n", L"line 3:");
    ExpectRefused(head + L"\"a\"=\n", L"line 3:");
    ExpectRefused(head + L"\"a\"=word:1\n", L"line 3:");
    ExpectRefused(head + L"\"a\"=hex(zz):00\n", L"line 3:");
    ExpectRefused(head + L"\"a\"=hex:00,\\", L"line 3:");
    ExpectRefused(head + L"[HKEY_NOWHERE\\x]\n", L"line 3:");
    ExpectRefused(head + L"[HKEY_CURRENT_USER\\a\\\\b]\n", L"line 3:");
    ExpectRefused(head + L"[HKEY_CURRENT_USER\\unclosed\n", L"line 3:");
    ExpectRefused(head + L"[-HKEY_LOCAL_MACHINE\\SOFTWARE]\n", L"line 3:");
    ExpectRefused(head + L"[-HKEY_CURRENT_USER\\Software\\Partial]\n\"a\"=dword:1\n", L"line 4:");
    ExpectRefused(L"Windows Registry Editor Version 5.00\n\"a\"=dword:1\n", L"line 2:");
    ExpectRefused(head + L"garbage\n", L"line 3:");
    ExpectRefused(std::wstring(L"\x01\xFFFF\0\x7F\n", 5), L"line 1:");
    EXPECT_FALSE(Exists(HKEY_CURRENT_USER, L"Software\\Partial"));
}

TEST(RegistrySeed, TheMachineSeedIsImportedWhenTheRegistryIsMade)
{
    TempMachine machine;
    machine.WriteFile("seed.reg", "Windows Registry Editor Version 5.00\n"
                                  "[HKEY_CURRENT_USER\\Software\\Seeded]\n\"n\"=dword:00000005\n");
    machine.WriteMachineIni("[Machine]\nRegistryImport=seed.reg\n");
    Key key;
    ASSERT_EQ(Open(key, HKEY_CURRENT_USER, L"Software\\Seeded", KEY_ALL_ACCESS), ERROR_SUCCESS);
    EXPECT_EQ(QueryDword(key, L"n"), 5u);

    // Only a new registry is seeded: a later start keeps what was changed since.
    ASSERT_EQ(SetDword(key, L"n", 6), ERROR_SUCCESS);
    platform::ReloadMachine();
    Key again;
    ASSERT_EQ(Open(again, HKEY_CURRENT_USER, L"Software\\Seeded"), ERROR_SUCCESS);
    EXPECT_EQ(QueryDword(again, L"n"), 6u);
}

TEST(RegistrySeed, ADamagedMachineSeedStillGivesARegistry)
{
    TempMachine machine;
    machine.WriteFile("seed.reg", "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\Software\\Half]\n\"n\"=dword:xyz\n");
    machine.WriteMachineIni("[Machine]\nRegistryImport=seed.reg\n");
    Key key;
    EXPECT_EQ(Create(key, HKEY_CURRENT_USER, L"Software\\Works"), ERROR_SUCCESS);
    EXPECT_FALSE(Exists(HKEY_CURRENT_USER, L"Software\\Half"));
}
