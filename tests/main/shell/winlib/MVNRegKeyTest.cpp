#include "winlib/MVNRegKey.h"

#include "platform/RegistrySeed.h"
#include "platform/Windows.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

namespace {

// Each test works in a key of its own.
std::wstring TestKey()
{
    const std::string name = testing::UnitTest::GetInstance()->current_test_info()->name();
    return L"Software\\Orvane\\RegKeyTest\\" + std::wstring(name.begin(), name.end());
}

uint16_t Step(OpResult result)
{
    return static_cast<uint16_t>(result >> 16);
}

uint16_t Kind(OpResult result)
{
    return static_cast<uint16_t>(result & 0xFFFF);
}

DWORD Error(OpResult result)
{
    return static_cast<DWORD>(result >> 32);
}

DWORD TextBytes(const std::wstring& text)
{
    return static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
}

void WriteValue(const wchar_t* name, DWORD type, const void* data, DWORD size)
{
    CMVNRegKey key;
    ASSERT_EQ(key.OpenOrCreate(HKEY_CURRENT_USER, TestKey().c_str(), false), RESULT_OK);
    ASSERT_EQ(key.SetValue(name, type, data, size), RESULT_OK);
}

void WriteString(const wchar_t* name, const std::wstring& text, DWORD type = REG_SZ)
{
    WriteValue(name, type, text.c_str(), TextBytes(text));
}

TEST(MVNRegKey, StringsComeBackWithTheirLengthInCharacters)
{
    WriteString(L"DisplayName", L"Orvane Quarnel");
    CMVNRegKey key;
    ASSERT_EQ(key.Open(HKEY_CURRENT_USER, TestKey().c_str(), false, false), RESULT_OK);
    std::wstring text = L"old text";
    DWORD length = 0;
    ASSERT_EQ(key.QueryString(L"DisplayName", &text, &length), RESULT_OK);
    EXPECT_EQ(text, L"Orvane Quarnel");
    EXPECT_EQ(length, 15u);  // with the terminator
}

TEST(MVNRegKey, MultiStringComesBackWholeWithInnerTerminators)
{
    const std::wstring data(L"one\0two\0three\0", 14);
    WriteString(L"List", data, REG_MULTI_SZ);

    CMVNRegKey key;
    ASSERT_EQ(key.Open(HKEY_CURRENT_USER, TestKey().c_str(), false, false), RESULT_OK);
    std::wstring text;
    DWORD length = 0;
    ASSERT_EQ(key.QueryString(L"List", &text, &length), RESULT_OK);
    EXPECT_EQ(text, std::wstring(L"one\0two\0three\0\0", 15));
    EXPECT_EQ(length, 15u);
}

TEST(MVNRegKey, MissingValuesReportTheirOwnSteps)
{
    WriteString(L"Present", L"x");
    CMVNRegKey key;
    ASSERT_EQ(key.Open(HKEY_CURRENT_USER, TestKey().c_str(), false, false), RESULT_OK);

    std::wstring text = L"old";
    OpResult result = key.QueryString(L"Missing", &text);
    EXPECT_EQ(Step(result), 0xE6);
    EXPECT_EQ(Kind(result), RESULT_SYSTEM_CALL);
    EXPECT_EQ(Error(result) & ERROR_FILE_NOT_FOUND, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_TRUE(text.empty());

    DWORD dword = 7;
    EXPECT_EQ(Step(key.QueryDword(L"Missing", dword)), 0x106);
    EXPECT_EQ(dword, 0u);
    ULONGLONG qword = 7;
    EXPECT_EQ(Step(key.QueryQword(L"Missing", qword)), 0x118);
    EXPECT_EQ(qword, 0u);
    RegValueBlock_ block;
    EXPECT_EQ(Step(key.QueryBinary(L"Missing", block)), 0x12A);
}

TEST(MVNRegKey, NumbersAndBinaryDataRoundTrip)
{
    const DWORD dword = 0xA00000;
    const ULONGLONG qword = 0x123456789ABCDEF0ull;
    const BYTE bytes[] = {1, 0, 2, 0xFF, 3};
    WriteValue(L"Dword", REG_DWORD, &dword, sizeof(dword));
    WriteValue(L"Qword", REG_QWORD, &qword, sizeof(qword));
    WriteValue(L"Bytes", REG_BINARY, bytes, sizeof(bytes));

    CMVNRegKey key;
    ASSERT_EQ(key.Open(HKEY_CURRENT_USER, TestKey().c_str(), false, false), RESULT_OK);
    DWORD readDword = 0;
    ASSERT_EQ(key.QueryDword(L"Dword", readDword), RESULT_OK);
    EXPECT_EQ(readDword, dword);
    ULONGLONG readQword = 0;
    ASSERT_EQ(key.QueryQword(L"Qword", readQword), RESULT_OK);
    EXPECT_EQ(readQword, qword);
    RegValueBlock_ block;
    ASSERT_EQ(key.QueryBinary(L"Bytes", block), RESULT_OK);
    EXPECT_EQ(block.type_, REG_BINARY);
    EXPECT_EQ(block.size_, sizeof(bytes));
    EXPECT_EQ(block.data_, std::vector<BYTE>(bytes, bytes + sizeof(bytes)));
}

TEST(MVNRegKey, EnumeratesThreeSubkeysThenReportsTheEnd)
{
    for (const wchar_t* name : {L"Alpha", L"Beta", L"A much longer subkey name"}) {
        CMVNRegKey child;
        ASSERT_EQ(child.OpenOrCreate(HKEY_CURRENT_USER, (TestKey() + L"\\" + name).c_str(), false),
                  RESULT_OK);
    }
    CMVNRegKey key;
    ASSERT_EQ(key.Open(HKEY_CURRENT_USER, TestKey().c_str(), false, false), RESULT_OK);
    std::set<std::wstring> names;
    std::wstring name;
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(key.EnumNextKey(name), RESULT_OK);
        names.insert(name);
    }
    EXPECT_EQ(names, (std::set<std::wstring>{L"Alpha", L"Beta", L"A much longer subkey name"}));
    const OpResult end = key.EnumNextKey(name);
    EXPECT_EQ(Step(end), 0xC8);
    EXPECT_EQ(Kind(end), RESULT_BAD_ARGUMENT);
    EXPECT_TRUE(name.empty());
}

TEST(MVNRegKey, EnumeratesValuesWithTheirData)
{
    WriteString(L"First", L"a somewhat longer text");
    const DWORD number = 42;
    WriteValue(L"Second", REG_DWORD, &number, sizeof(number));

    CMVNRegKey key;
    ASSERT_EQ(key.Open(HKEY_CURRENT_USER, TestKey().c_str(), false, false), RESULT_OK);
    std::set<std::wstring> seen;
    std::wstring name;
    RegValueBlock_ value;
    for (int i = 0; i < 2; ++i) {
        ASSERT_EQ(key.EnumNextValue(name, value), RESULT_OK);
        seen.insert(name);
        if (name == L"First") {
            EXPECT_EQ(value.type_, REG_SZ);
            EXPECT_EQ(value.size_, TextBytes(L"a somewhat longer text"));
            EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(value.data_.data())), L"a somewhat longer text");
        } else {
            EXPECT_EQ(value.type_, REG_DWORD);
            ASSERT_EQ(value.size_, sizeof(DWORD));
            DWORD read = 0;
            std::memcpy(&read, value.data_.data(), sizeof(read));
            EXPECT_EQ(read, number);
        }
    }
    EXPECT_EQ(seen, (std::set<std::wstring>{L"First", L"Second"}));
    const OpResult end = key.EnumNextValue(name, value);
    EXPECT_EQ(Step(end), 0x13E);
    EXPECT_EQ(Kind(end), RESULT_SYSTEM_CALL);
}

TEST(MVNRegKey, WritableOpenOfAProtectedKeyFallsBackToReading)
{
    WriteString(L"Name", L"kept");
    ASSERT_EQ(platform::SetRegistryKeyProtected(HKEY_CURRENT_USER, TestKey(), true), ERROR_SUCCESS);

    CMVNRegKey key;
    ASSERT_EQ(key.Open(HKEY_CURRENT_USER, TestKey().c_str(), false, true), RESULT_OK);
    std::wstring text;
    ASSERT_EQ(key.QueryString(L"Name", &text), RESULT_OK);
    EXPECT_EQ(text, L"kept");
    const std::wstring changed = L"changed";
    const OpResult result = key.SetValue(L"Name", REG_SZ, changed.c_str(), TextBytes(changed));
    EXPECT_EQ(Step(result), 0x16E);
    EXPECT_EQ(Kind(result), RESULT_SYSTEM_CALL);
    EXPECT_EQ(Error(result) & ERROR_ACCESS_DENIED, static_cast<DWORD>(ERROR_ACCESS_DENIED));
    ASSERT_EQ(key.QueryString(L"Name", &text), RESULT_OK);
    EXPECT_EQ(text, L"kept");
}

TEST(MVNRegKey, FailedOpenLeavesNoScratchBuffer)
{
    CMVNRegKey key;
    const OpResult result = key.Open(HKEY_CURRENT_USER, L"Software\\Orvane\\NoSuchKey", false, false);
    EXPECT_EQ(Step(result), 0xA4);
    EXPECT_EQ(Kind(result), RESULT_SYSTEM_CALL);
    EXPECT_EQ(Error(result) & ERROR_FILE_NOT_FOUND, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    std::wstring text;
    EXPECT_EQ(Step(key.QueryString(L"Name", &text)), 0xDE);

    // A key made by OpenOrCreate has no scratch buffer either: it is meant for writing.
    WriteString(L"Name", L"x");
    ASSERT_EQ(key.OpenOrCreate(HKEY_CURRENT_USER, TestKey().c_str(), false), RESULT_OK);
    EXPECT_EQ(Step(key.QueryString(L"Name", &text)), 0xDE);

    ASSERT_EQ(key.Open(HKEY_CURRENT_USER, TestKey().c_str(), false, false), RESULT_OK);
    EXPECT_EQ(Step(key.QueryString(L"Name", nullptr)), 0xDF);
}

TEST(MVNRegKey, DeletesValues)
{
    WriteString(L"Gone", L"soon");
    CMVNRegKey key;
    ASSERT_EQ(key.Open(HKEY_CURRENT_USER, TestKey().c_str(), false, true), RESULT_OK);
    EXPECT_EQ(Step(key.DeleteValue(nullptr)), 0x17B);
    ASSERT_EQ(key.DeleteValue(L"Gone"), RESULT_OK);
    std::wstring text;
    EXPECT_EQ(Step(key.QueryString(L"Gone", &text)), 0xE6);
    EXPECT_EQ(Step(key.DeleteValue(L"Gone")), 0x17D);
}

TEST(MVNRegKey, OpenOrCreateReportsAFailure)
{
    CMVNRegKey key;
    const OpResult result = key.OpenOrCreate(nullptr, L"Software\\Orvane", false);
    EXPECT_EQ(Step(result), 0x160);
    EXPECT_EQ(Kind(result), RESULT_SYSTEM_CALL);
}

TEST(MVNRegKey, ViewsReachTheTwoSoftwareHivesOfA64BitMachine)
{
    const wchar_t* product = L"SOFTWARE\\Orvane\\ViewTest";
    CMVNRegKey writer;
    ASSERT_EQ(writer.OpenOrCreate(HKEY_LOCAL_MACHINE, product, false), RESULT_OK);
    const DWORD one = 1;
    ASSERT_EQ(writer.SetValue(L"Bits32", REG_DWORD, &one, sizeof(one)), RESULT_OK);

    CMVNRegKey native;
    EXPECT_EQ(Step(native.Open(HKEY_LOCAL_MACHINE, product, true, false)), 0xA4);
    CMVNRegKey redirected;
    ASSERT_EQ(redirected.Open(HKEY_LOCAL_MACHINE, L"SOFTWARE\\WOW6432Node\\Orvane\\ViewTest", true, false),
              RESULT_OK);
    DWORD value = 0;
    ASSERT_EQ(redirected.QueryDword(L"Bits32", value), RESULT_OK);
    EXPECT_EQ(value, one);
}

} // namespace
