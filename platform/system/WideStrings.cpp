#include "platform/win/Strings.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cwchar>
#include <string>

namespace {

wchar_t AsciiLower(wchar_t c) { return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c + (L'a' - L'A')) : c; }

int CompareIgnoringAsciiCase(const wchar_t* a, const wchar_t* b, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        const wchar_t ca = AsciiLower(a[i]);
        const wchar_t cb = AsciiLower(b[i]);
        if (ca != cb || ca == L'\0')
            return static_cast<int>(ca) - static_cast<int>(cb);
    }
    return 0;
}

// The secure functions' failure: the destination emptied when there is one.
errno_t Fail(wchar_t* destination, size_t size, errno_t error)
{
    if (destination && size > 0)
        destination[0] = L'\0';
    return error;
}

} // namespace

int lstrlenW(LPCWSTR text) { return text ? static_cast<int>(std::wcslen(text)) : 0; }

LPWSTR lstrcpynW(LPWSTR destination, LPCWSTR source, int maxLength)
{
    if (!destination || maxLength <= 0)
        return destination;
    const size_t length = source ? std::min(std::wcslen(source), static_cast<size_t>(maxLength - 1)) : 0;
    std::wmemmove(destination, source ? source : L"", length);
    destination[length] = L'\0';
    return destination;
}

errno_t wcscpy_s(wchar_t* destination, size_t size, const wchar_t* source)
{
    if (!destination || size == 0)
        return EINVAL;
    if (!source)
        return Fail(destination, size, EINVAL);
    const size_t length = std::wcslen(source);
    if (length >= size)
        return Fail(destination, size, ERANGE);
    std::wmemmove(destination, source, length + 1);
    return 0;
}

errno_t wcscat_s(wchar_t* destination, size_t size, const wchar_t* source)
{
    if (!destination || size == 0)
        return EINVAL;
    if (!source)
        return Fail(destination, size, EINVAL);
    const size_t used = std::find(destination, destination + size, L'\0') - destination;
    if (used == size)
        return Fail(destination, size, EINVAL);
    const size_t length = std::wcslen(source);
    if (used + length >= size)
        return Fail(destination, size, ERANGE);
    std::wmemmove(destination + used, source, length + 1);
    return 0;
}

int _wcsicmp(const wchar_t* a, const wchar_t* b)
{
    if (!a || !b)
        return INT_MAX;
    return CompareIgnoringAsciiCase(a, b, SIZE_MAX);
}

int _wcsnicmp(const wchar_t* a, const wchar_t* b, size_t count)
{
    if (!a || !b)
        return INT_MAX;
    return CompareIgnoringAsciiCase(a, b, count);
}

int _wtoi(const wchar_t* text)
{
    return static_cast<int>(std::clamp<long long>(_wtoi64(text), INT_MIN, INT_MAX));
}

long long _wtoi64(const wchar_t* text) { return text ? std::wcstoll(text, nullptr, 10) : 0; }

errno_t _i64tow_s(long long value, wchar_t* buffer, size_t size, int radix)
{
    if (!buffer || size == 0)
        return EINVAL;
    if (radix < 2 || radix > 36)
        return Fail(buffer, size, EINVAL);
    const bool negative = radix == 10 && value < 0;
    // The magnitude of the most negative value does not fit a signed number.
    unsigned long long magnitude = negative ? 0ull - static_cast<unsigned long long>(value)
                                            : static_cast<unsigned long long>(value);
    std::wstring digits;
    do {
        digits += L"0123456789abcdefghijklmnopqrstuvwxyz"[magnitude % static_cast<unsigned>(radix)];
        magnitude /= static_cast<unsigned>(radix);
    } while (magnitude);
    if (negative)
        digits += L'-';
    if (digits.size() >= size)
        return Fail(buffer, size, ERANGE);
    std::copy(digits.rbegin(), digits.rend(), buffer);
    buffer[digits.size()] = L'\0';
    return 0;
}
