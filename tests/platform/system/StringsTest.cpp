#include "platform/Windows.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <string>

namespace {

const char kGruesse[] = "Gr\xC3\xBC\xC3\x9F" "e"; // 7 bytes, 5 characters

int Measure(const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    const int length = _vscwprintf(format, args);
    va_end(args);
    return length;
}

} // namespace

TEST(CodePages, MultiByteToWideCharCountsAsWindowsDoes)
{
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, kGruesse, -1, nullptr, 0), 6);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, kGruesse, 7, nullptr, 0), 5);
    wchar_t wide[8] = L"#######";
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, kGruesse, 7, wide, 8), 5);
    EXPECT_EQ(std::wstring(wide, 6), std::wstring(L"Grüße#"));
    EXPECT_EQ(MultiByteToWideChar(CP_OEMCP, MB_PRECOMPOSED, kGruesse, -1, wide, 6), 6);
    EXPECT_STREQ(wide, L"Grüße");

    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, kGruesse, -1, wide, 5), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, kGruesse, 0, wide, 8), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(MultiByteToWideChar(1252, 0, kGruesse, -1, wide, 8), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_PRECOMPOSED, kGruesse, -1, wide, 8), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FLAGS));

    const char broken[] = "a\xC3(";
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, broken, -1, wide, 8), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, broken, -1, wide, 8), 4);
    EXPECT_STREQ(wide, L"a\xFFFD(");
}

TEST(CodePages, WideCharToMultiByteCountsBytes)
{
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, L"Grüße", -1, nullptr, 0, nullptr, nullptr), 8);
    char bytes[8];
    BOOL usedDefault = TRUE;
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, L"Grüße", -1, bytes, 8, "?", &usedDefault), 8);
    EXPECT_STREQ(bytes, kGruesse);
    EXPECT_FALSE(usedDefault);
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, L"Grüße", 5, bytes, 6, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, L"Grüße", -1, bytes, 8, nullptr, &usedDefault), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

    const wchar_t loneSurrogate[] = {L'a', static_cast<wchar_t>(0xD800), 0};
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, loneSurrogate, -1, bytes, 8, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, loneSurrogate, -1, bytes, 8, nullptr, nullptr), 5);
}

TEST(WideStrings, SecureCopiesFitOrEmptyTheDestination)
{
    wchar_t buffer[8];
    EXPECT_EQ(wcscpy_s(buffer, L"1234567"), 0);
    EXPECT_STREQ(buffer, L"1234567");
    EXPECT_EQ(wcscpy_s(buffer, 8, L"12345678"), ERANGE);
    EXPECT_STREQ(buffer, L"");
    EXPECT_EQ(wcscpy_s(buffer, nullptr), EINVAL);

    EXPECT_EQ(wcscpy_s(buffer, L"abc"), 0);
    EXPECT_EQ(wcscat_s(buffer, L"defg"), 0);
    EXPECT_STREQ(buffer, L"abcdefg");
    EXPECT_EQ(wcscat_s(buffer, L"h"), ERANGE);
    EXPECT_STREQ(buffer, L"");
    wchar_t unterminated[3] = {L'a', L'b', L'c'};
    EXPECT_EQ(wcscat_s(unterminated, L"d"), EINVAL);
    EXPECT_EQ(unterminated[0], L'\0');

    wchar_t copy[6];
    EXPECT_STREQ(lstrcpynW(copy, L"truncated", 6), L"trunc");
    EXPECT_EQ(lstrlenW(copy), 5);
    EXPECT_EQ(lstrlenW(nullptr), 0);
}

TEST(WideFormat, MeasuresTextsLongerThanAnyFirstGuess)
{
    const std::wstring longText(5000, L'x');
    EXPECT_EQ(Measure(L"%ls-%d", longText.c_str(), 42), 5003);
    EXPECT_EQ(Measure(L"%d", 12345), 5);
    EXPECT_EQ(Measure(L""), 0);
}

TEST(WideFormat, SecureFormatsFitOrFail)
{
    wchar_t buffer[8];
    EXPECT_EQ(swprintf_s(buffer, 8, L"%ls", L"1234567"), 7);
    EXPECT_STREQ(buffer, L"1234567");
    EXPECT_EQ(swprintf_s(buffer, L"%d%ls", 1234, L"5678"), -1);
    EXPECT_STREQ(buffer, L"");
    EXPECT_EQ(swprintf_s(buffer, L"%d", -5), 2);

    EXPECT_EQ(_snwprintf_s(buffer, 8, _TRUNCATE, L"%ls", L"abcdefghij"), -1);
    EXPECT_STREQ(buffer, L"abcdefg");
    EXPECT_EQ(_snwprintf_s(buffer, 8, 3, L"%ls", L"abcdefghij"), -1);
    EXPECT_STREQ(buffer, L"abc");
    EXPECT_EQ(_snwprintf_s(buffer, 8, 3, L"%ls", L"ab"), 2);
    EXPECT_EQ(_snwprintf_s(buffer, 8, 20, L"%ls", L"abcdefghij"), -1);
    EXPECT_STREQ(buffer, L"");
}

TEST(WideStrings, CompareIgnoringAsciiCaseLikeTheCLocale)
{
    EXPECT_EQ(_wcsicmp(L"Explorer.EXE", L"explorer.exe"), 0);
    EXPECT_LT(_wcsicmp(L"a_", L"aZ"), 0); // lower-cased: '_' sorts before 'z'
    EXPECT_GT(_wcsicmp(L"abc", L"ab"), 0);
    EXPECT_EQ(_wcsnicmp(L"Hello", L"HELP", 3), 0);
    EXPECT_NE(_wcsnicmp(L"Hello", L"HELP", 4), 0);
}

TEST(WideStrings, NumbersConvertWithWindowsRanges)
{
    EXPECT_EQ(_wtoi(L"  -42abc"), -42);
    EXPECT_EQ(_wtoi(L"99999999999"), INT_MAX);
    EXPECT_EQ(_wtoi(L"x1"), 0);
    EXPECT_EQ(_wtoi64(L"-9000000000"), -9000000000LL);

    wchar_t buffer[24];
    EXPECT_EQ(_i64tow_s(-255, buffer, 24, 10), 0);
    EXPECT_STREQ(buffer, L"-255");
    EXPECT_EQ(_i64tow_s(-1, buffer, 24, 16), 0);
    EXPECT_STREQ(buffer, L"ffffffffffffffff");
    EXPECT_EQ(_i64tow_s(LLONG_MIN, buffer, 24, 10), 0);
    EXPECT_STREQ(buffer, L"-9223372036854775808");
    EXPECT_EQ(_i64tow_s(12345, buffer, 5, 10), ERANGE);
    EXPECT_STREQ(buffer, L"");
    EXPECT_EQ(_i64tow_s(1, buffer, 24, 1), EINVAL);
}
