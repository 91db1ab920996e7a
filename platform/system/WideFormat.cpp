#include "platform/win/Strings.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <optional>
#include <string>

namespace {

// The whole formatted text, however long: glibc's vswprintf only reports -1 for a buffer that is
// too small, so the text is written to a growing memory stream instead. Empty when the format or
// an argument cannot be formatted.
std::optional<std::wstring> FormatWhole(const wchar_t* format, va_list args)
{
    wchar_t* data = nullptr;
    size_t length = 0;
    FILE* stream = open_wmemstream(&data, &length);
    if (!stream)
        return std::nullopt;
    va_list copy;
    va_copy(copy, args);
    const int written = std::vfwprintf(stream, format, copy);
    va_end(copy);
    const bool closed = std::fclose(stream) == 0;
    std::optional<std::wstring> text;
    if (written >= 0 && closed)
        text = std::wstring(data, length);
    std::free(data);
    return text;
}

int Emptied(wchar_t* buffer, int error)
{
    buffer[0] = L'\0';
    errno = error;
    return -1;
}

} // namespace

int _vscwprintf(const wchar_t* format, va_list args)
{
    if (!format) {
        errno = EINVAL;
        return -1;
    }
    const auto text = FormatWhole(format, args);
    return text ? static_cast<int>(text->size()) : -1;
}

int _vsnwprintf_s(wchar_t* buffer, size_t size, size_t count, const wchar_t* format, va_list args)
{
    if (!buffer || size == 0) {
        errno = EINVAL;
        return -1;
    }
    if (!format)
        return Emptied(buffer, EINVAL);
    const auto text = FormatWhole(format, args);
    if (!text)
        return Emptied(buffer, EILSEQ);
    // _TRUNCATE, and a count below the buffer's size, cut the text; otherwise it must fit whole.
    const size_t limit = count == _TRUNCATE ? size - 1 : count;
    if (limit >= size && text->size() >= size)
        return Emptied(buffer, ERANGE);
    const size_t kept = std::min(text->size(), limit);
    std::wmemcpy(buffer, text->data(), kept);
    buffer[kept] = L'\0';
    return kept == text->size() ? static_cast<int>(kept) : -1;
}

int _snwprintf_s(wchar_t* buffer, size_t size, size_t count, const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    const int written = _vsnwprintf_s(buffer, size, count, format, args);
    va_end(args);
    return written;
}

int vswprintf_s(wchar_t* buffer, size_t size, const wchar_t* format, va_list args)
{
    // The whole text or nothing: no count below the buffer's size.
    return _vsnwprintf_s(buffer, size, size, format, args);
}

int swprintf_s(wchar_t* buffer, size_t size, const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    const int written = vswprintf_s(buffer, size, format, args);
    va_end(args);
    return written;
}
