// Conversions between the ANSI code page, UTF-8 and wide text, and integers as decimal text.
#pragma once

#include <cstdint>
#include <string>

// A null text converts to an empty one.
std::string WideToUtf8(const wchar_t* text);
std::wstring Utf8ToWide(const char* text);

// Through the ANSI code page.
std::wstring AnsiToWideString(const std::string& text);
std::string WideToAnsiString(const std::wstring& text);

// Decimal, with a minus sign for negatives and no grouping.
std::wstring IntToWString(int32_t value);
std::string IntToString(int32_t value);
std::wstring Int64ToWString(int64_t value);
