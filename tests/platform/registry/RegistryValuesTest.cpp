#include "RegistryTestSupport.h"

#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

using namespace registry_test;
using testing_support::TempMachine;

namespace {

class RegistryValues : public testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(Create(key_, HKEY_CURRENT_USER, L"Software\\Values"), ERROR_SUCCESS); }

    // Writes the bytes and reads them back whole, checking type and size on the way.
    std::string RoundTrip(const wchar_t* name, DWORD type, const std::string& bytes)
    {
        EXPECT_EQ(RegSetValueExW(key_, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                                 static_cast<DWORD>(bytes.size())),
                  ERROR_SUCCESS);
        DWORD readType = 0xFFFF;
        DWORD size = 0;
        EXPECT_EQ(RegQueryValueExW(key_, name, nullptr, &readType, nullptr, &size), ERROR_SUCCESS);
        EXPECT_EQ(readType, type);
        std::string read(size, '\0');
        EXPECT_EQ(RegQueryValueExW(key_, name, nullptr, nullptr, reinterpret_cast<BYTE*>(read.data()), &size), ERROR_SUCCESS);
        EXPECT_EQ(size, read.size());
        return read;
    }

    TempMachine machine_;
    Key key_;
};

std::string Bytes(const std::wstring& text)
{
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

template <class T>
std::string Bytes(T value)
{
    return std::string(reinterpret_cast<const char*>(&value), sizeof(value));
}

} // namespace

TEST_F(RegistryValues, EveryTypeComesBackAsWritten)
{
    const std::wstring text = std::wstring(L"C:\\Program Files\\Orvane \U0001F600") + L'\0';
    EXPECT_EQ(RoundTrip(L"sz", REG_SZ, Bytes(text)), Bytes(text));
    EXPECT_EQ(RoundTrip(L"expand", REG_EXPAND_SZ, Bytes(std::wstring(L"%TEMP%\\x", 9))), Bytes(std::wstring(L"%TEMP%\\x", 9)));
    const std::string binary("\x00\x01\xFF\x00", 4);
    EXPECT_EQ(RoundTrip(L"binary", REG_BINARY, binary), binary);
    EXPECT_EQ(RoundTrip(L"dword", REG_DWORD, Bytes(DWORD{0xDEADBEEF})), Bytes(DWORD{0xDEADBEEF}));
    EXPECT_EQ(RoundTrip(L"qword", REG_QWORD, Bytes(ULONGLONG{0x0123456789ABCDEFull})), Bytes(ULONGLONG{0x0123456789ABCDEFull}));
    EXPECT_EQ(RoundTrip(L"none", REG_NONE, std::string()), std::string());
    EXPECT_EQ(RoundTrip(L"odd type", 0x4242, std::string("\x07\x08\x09", 3)), std::string("\x07\x08\x09", 3));
    EXPECT_EQ(RoundTrip(L"empty sz", REG_SZ, std::string()), std::string());
}

TEST_F(RegistryValues, MultiStringsComeBackWholeWithInnerTerminators)
{
    const std::wstring multi(L"one\0two\0\0", 9);
    EXPECT_EQ(RoundTrip(L"multi", REG_MULTI_SZ, Bytes(multi)), Bytes(multi));
    EXPECT_EQ(QueryText(key_, L"multi"), multi);
}

TEST_F(RegistryValues, SmallBuffersGetTheSizeNeeded)
{
    ASSERT_EQ(SetString(key_, L"text", L"twelve chars"), ERROR_SUCCESS);
    const DWORD needed = 13 * sizeof(wchar_t);
    DWORD size = 0;
    DWORD type = 0;
    EXPECT_EQ(RegQueryValueExW(key_, L"text", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, needed);
    wchar_t buffer[8] = L"unused";
    size = sizeof(buffer);
    type = 0;
    EXPECT_EQ(RegQueryValueExW(key_, L"text", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, needed);
    EXPECT_EQ(type, REG_SZ);

    wchar_t name[8];
    DWORD chars = 4; // "text" needs 5 with its terminator
    size = sizeof(buffer);
    EXPECT_EQ(RegEnumValueW(key_, 0, name, &chars, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size), ERROR_MORE_DATA);
    chars = 5;
    size = sizeof(buffer);
    EXPECT_EQ(RegEnumValueW(key_, 0, name, &chars, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size), ERROR_MORE_DATA);
    EXPECT_EQ(chars, 4u);
    EXPECT_STREQ(name, L"text");
    EXPECT_EQ(size, needed);

    DWORD missingSize = 0;
    EXPECT_EQ(RegQueryValueExW(key_, L"missing", nullptr, nullptr, nullptr, &missingSize), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegQueryValueExW(key_, L"text", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), nullptr),
              ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryValues, TextWithoutTerminatorComesBackAsStored)
{
    ASSERT_EQ(RegSetValueExW(key_, L"bare", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"abc"), 3 * sizeof(wchar_t)),
              ERROR_SUCCESS);
    wchar_t buffer[5] = {L'#', L'#', L'#', L'#', L'#'};
    DWORD size = 3 * sizeof(wchar_t);
    EXPECT_EQ(RegQueryValueExW(key_, L"bare", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 3 * sizeof(wchar_t));
    EXPECT_EQ(std::wstring(buffer, 5), L"abc##");

    // RegGetValueW promises a terminator, so it needs room for one.
    size = 3 * sizeof(wchar_t);
    EXPECT_EQ(RegGetValueW(key_, nullptr, L"bare", RRF_RT_REG_SZ, nullptr, buffer, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 4 * sizeof(wchar_t));
    EXPECT_EQ(RegGetValueW(key_, nullptr, L"bare", RRF_RT_REG_SZ, nullptr, buffer, &size), ERROR_SUCCESS);
    EXPECT_STREQ(buffer, L"abc");
}

TEST_F(RegistryValues, NamesIgnoreCaseKeepTheirCaseAndTheirPlace)
{
    ASSERT_EQ(SetDword(key_, L"Zeta", 1), ERROR_SUCCESS);
    ASSERT_EQ(SetDword(key_, L"Version", 1), ERROR_SUCCESS);
    ASSERT_EQ(SetDword(key_, L"alpha", 1), ERROR_SUCCESS);
    ASSERT_EQ(SetDword(key_, L"VERSION", 2), ERROR_SUCCESS);
    EXPECT_EQ(QueryDword(key_, L"version"), 2u);
    EXPECT_EQ(Names(key_, true), (std::vector<std::wstring>{L"Zeta", L"Version", L"alpha"}));

    EXPECT_EQ(RegDeleteValueW(key_, L"ZETA"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueW(key_, L"Zeta"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Names(key_, true), (std::vector<std::wstring>{L"Version", L"alpha"}));
}

TEST_F(RegistryValues, TheDefaultValueIsTheEmptyName)
{
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExW(key_, nullptr, nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(SetString(key_, nullptr, L"default"), ERROR_SUCCESS);
    EXPECT_EQ(QueryText(key_, L""), std::wstring(L"default", 8));
    EXPECT_EQ(Names(key_, true), (std::vector<std::wstring>{L""}));
    EXPECT_EQ(RegDeleteValueW(key_, L""), ERROR_SUCCESS);
    EXPECT_EQ(RegQueryValueExW(key_, nullptr, nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryValues, WritingWithoutDataNeedsSizeZero)
{
    EXPECT_EQ(RegSetValueExW(key_, L"x", 0, REG_BINARY, nullptr, 4), ERROR_NOACCESS);
    EXPECT_EQ(RegSetValueExW(key_, L"x", 0, REG_BINARY, nullptr, 0), ERROR_SUCCESS);
    DWORD size = 7;
    EXPECT_EQ(RegQueryValueExW(key_, L"x", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 0u);
}

TEST_F(RegistryValues, GetValueRestrictsTypesAndSizes)
{
    ASSERT_EQ(SetDword(key_, L"dword", 42), ERROR_SUCCESS);
    ASSERT_EQ(SetString(key_, L"text", L"hi"), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key_, L"four", 0, REG_BINARY, reinterpret_cast<const BYTE*>("\x01\x00\x00\x00"), 4), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key_, L"three", 0, REG_BINARY, reinterpret_cast<const BYTE*>("\x01\x00\x00"), 3), ERROR_SUCCESS);

    DWORD value = 0;
    DWORD size = sizeof(value);
    DWORD type = 0;
    EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, L"Software\\Values", L"dword", RRF_RT_REG_DWORD, &type, &value, &size), ERROR_SUCCESS);
    EXPECT_EQ(value, 42u);
    EXPECT_EQ(type, REG_DWORD);
    size = sizeof(value);
    EXPECT_EQ(RegGetValueW(key_, nullptr, L"four", RRF_RT_DWORD, nullptr, &value, &size), ERROR_SUCCESS);
    EXPECT_EQ(value, 1u);
    size = sizeof(value);
    EXPECT_EQ(RegGetValueW(key_, nullptr, L"three", RRF_RT_DWORD, nullptr, &value, &size), ERROR_DATATYPE_MISMATCH);
    size = sizeof(value);
    EXPECT_EQ(RegGetValueW(key_, nullptr, L"text", RRF_RT_REG_DWORD, nullptr, &value, &size), ERROR_UNSUPPORTED_TYPE);
    EXPECT_EQ(RegGetValueW(key_, nullptr, L"text", 0, nullptr, &value, &size), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegGetValueW(key_, nullptr, L"text", RRF_RT_REG_EXPAND_SZ, nullptr, &value, &size), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegGetValueW(key_, L"Missing", L"text", RRF_RT_ANY, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);

    value = 0xFFFFFFFF;
    size = sizeof(value);
    EXPECT_EQ(RegGetValueW(key_, nullptr, L"text", RRF_RT_REG_DWORD | RRF_ZEROONFAILURE, nullptr, &value, &size),
              ERROR_UNSUPPORTED_TYPE);
    EXPECT_EQ(value, 0u);
}

TEST_F(RegistryValues, GetValueExpandsAndTerminatesText)
{
    setenv("QUARNEL_REGISTRY_TEST_DIR", "/srv/x", 1);
    ASSERT_EQ(SetString(key_, L"path", L"%quarnel_registry_test_dir%\\a %UNKNOWN_VARIABLE_XYZ%", REG_EXPAND_SZ), ERROR_SUCCESS);
    wchar_t buffer[64];
    DWORD size = sizeof(buffer);
    DWORD type = 0;
    ASSERT_EQ(RegGetValueW(key_, nullptr, L"path", RRF_RT_REG_SZ, &type, buffer, &size), ERROR_SUCCESS);
    EXPECT_STREQ(buffer, L"/srv/x\\a %UNKNOWN_VARIABLE_XYZ%");
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(size, (wcslen(buffer) + 1) * sizeof(wchar_t));

    size = sizeof(buffer);
    ASSERT_EQ(RegGetValueW(key_, nullptr, L"path", RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, &type, buffer, &size), ERROR_SUCCESS);
    EXPECT_STREQ(buffer, L"%quarnel_registry_test_dir%\\a %UNKNOWN_VARIABLE_XYZ%");
    EXPECT_EQ(type, REG_EXPAND_SZ);

    const std::wstring unterminated(L"a\0b", 3);
    ASSERT_EQ(RegSetValueExW(key_, L"multi", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(unterminated.data()),
                             3 * sizeof(wchar_t)),
              ERROR_SUCCESS);
    size = sizeof(buffer);
    ASSERT_EQ(RegGetValueW(key_, nullptr, L"multi", RRF_RT_REG_MULTI_SZ, nullptr, buffer, &size), ERROR_SUCCESS);
    EXPECT_EQ(std::wstring(buffer, size / sizeof(wchar_t)), std::wstring(L"a\0b\0\0", 5));
}
