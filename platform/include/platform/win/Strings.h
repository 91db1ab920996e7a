// Code-page conversions and the C runtime's wide-string helpers that Windows programs use. Every
// "ANSI" code page (CP_ACP, CP_OEMCP, CP_THREAD_ACP) is UTF-8 here. Formats follow glibc (%ls for a
// wide string in a wide format); the *_s functions keep Windows' return conventions and report bad
// arguments through their results instead of ending the program.
#pragma once

#include "platform/win/Errors.h"
#include "platform/win/Types.h"

#include <cstdarg>
#include <cstddef>

#pragma GCC visibility push(default)


#define CP_ACP 0
#define CP_OEMCP 1
#define CP_THREAD_ACP 3
#define CP_UTF8 65001

#define MB_PRECOMPOSED 0x00000001
#define MB_ERR_INVALID_CHARS 0x00000008
#define WC_ERR_INVALID_CHARS 0x00000080

// Sizes in characters of the output (bytes for multi-byte text). An input length of -1 takes the
// input up to and with its terminator; an output size of 0 asks for the size needed; 0 with
// ERROR_INSUFFICIENT_BUFFER when the output is too small. Invalid input becomes U+FFFD unless the
// ERR_INVALID_CHARS flag asks for ERROR_NO_UNICODE_TRANSLATION.
int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR multiByte, int multiByteLength, LPWSTR wide,
                        int wideSize);
// defaultChar and usedDefaultChar must be null for CP_UTF8, as on Windows; for the ANSI pages
// nothing is ever replaced by a default character.
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wide, int wideLength, LPSTR multiByte,
                        int multiByteSize, LPCSTR defaultChar, LPBOOL usedDefaultChar);

int lstrlenW(LPCWSTR text);
// Copies at most maxLength - 1 characters and a terminator.
LPWSTR lstrcpynW(LPWSTR destination, LPCWSTR source, int maxLength);

#define _TRUNCATE (static_cast<size_t>(-1))
#ifndef STRUNCATE
#define STRUNCATE 80
#endif

// 0, EINVAL for null arguments (an unterminated destination for wcscat_s), ERANGE when the result
// does not fit; on failure the destination (when there is one) is emptied.
errno_t wcscpy_s(wchar_t* destination, size_t size, const wchar_t* source);
errno_t wcscat_s(wchar_t* destination, size_t size, const wchar_t* source);

// The characters written without the terminator, or -1 (buffer emptied) when the text does not
// fit or cannot be formatted.
int swprintf_s(wchar_t* buffer, size_t size, const wchar_t* format, ...);
int vswprintf_s(wchar_t* buffer, size_t size, const wchar_t* format, va_list args);
// At most count characters (_TRUNCATE: as many as fit); -1 when the text was cut.
int _snwprintf_s(wchar_t* buffer, size_t size, size_t count, const wchar_t* format, ...);
int _vsnwprintf_s(wchar_t* buffer, size_t size, size_t count, const wchar_t* format, va_list args);
// The length of the formatted text without the terminator, -1 when it cannot be formatted.
int _vscwprintf(const wchar_t* format, va_list args);

template <size_t N>
errno_t wcscpy_s(wchar_t (&destination)[N], const wchar_t* source)
{
    return wcscpy_s(destination, N, source);
}

template <size_t N>
errno_t wcscat_s(wchar_t (&destination)[N], const wchar_t* source)
{
    return wcscat_s(destination, N, source);
}

template <size_t N>
int swprintf_s(wchar_t (&buffer)[N], const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    const int written = vswprintf_s(buffer, N, format, args);
    va_end(args);
    return written;
}

// Compare ignoring the case of ASCII letters (the C locale's rule); negative, 0 or positive.
int _wcsicmp(const wchar_t* a, const wchar_t* b);
int _wcsnicmp(const wchar_t* a, const wchar_t* b, size_t count);

// Leading blanks, a sign and decimal digits; out-of-range values are clamped; 0 without digits.
int _wtoi(const wchar_t* text);
long long _wtoi64(const wchar_t* text);
// Radix 2 to 36, lower-case digits; negative values carry a sign only in radix 10 (other radixes
// write the 64-bit pattern). EINVAL for a null buffer or bad radix, ERANGE when it does not fit.
errno_t _i64tow_s(long long value, wchar_t* buffer, size_t size, int radix);

#pragma GCC visibility pop
