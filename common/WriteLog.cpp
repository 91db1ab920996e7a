#include "common/WriteLog.h"

#include "common/AnsiText.h"
#include "common/LogFile.h"
#include "platform/Windows.h"

#include <cstdarg>
#include <cstdio>
#include <new>
#include <string>

namespace {

// Every deliverable writes into the one file Quarnel.log in the temporary folder.
int WriteLine(const wchar_t* text)
{
    CLogFile file;
    return file.Open(false, L"Quarnel").Write(text);
}

// The narrow message widened through the ANSI code page, cut at the 1024-character buffer's last
// character as the wide formatting of the 32-bit build did.
std::wstring Widen(const char* text)
{
    std::wstring wide = FromAnsi(text);
    if (wide.size() > 1023)
        wide.resize(1023);
    return wide;
}

// Measures the message, then formats it into a buffer of that length plus one; false when either
// step fails or the buffer cannot be had, so that nothing is written.
template <class Char, class Measure, class Print>
bool FormatText(std::basic_string<Char>& message, const Char* format, va_list args, Measure measure, Print print)
{
    va_list measureArgs;
    va_copy(measureArgs, args);
    const int length = measure(format, measureArgs);
    va_end(measureArgs);
    if (length < 0)
        return false;
    try {
        message.assign(static_cast<size_t>(length) + 1, Char());
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (print(message.data(), message.size(), format, args) < 0)
        return false;
    message.resize(static_cast<size_t>(length));
    return true;
}

} // namespace

namespace log_detail {

int FormatAndWrite(const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    std::wstring message;
    const bool formatted = FormatText(
        message, format, args, [](const wchar_t* f, va_list a) { return _vscwprintf(f, a); },
        [](wchar_t* buffer, size_t size, const wchar_t* f, va_list a) { return vswprintf_s(buffer, size, f, a); });
    va_end(args);
    return formatted ? WriteLine(message.c_str()) : -1;
}

int FormatAndWriteA(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::string message;
    const bool formatted = FormatText(
        message, format, args, [](const char* f, va_list a) { return std::vsnprintf(nullptr, 0, f, a); },
        [](char* buffer, size_t size, const char* f, va_list a) { return std::vsnprintf(buffer, size, f, a); });
    va_end(args);
    return formatted ? WriteLine(Widen(message.c_str()).c_str()) : -1;
}

} // namespace log_detail

int WriteLogText(const wchar_t* text)
{
    return WriteLine(text);
}

int WriteLogTextA(const char* text)
{
    return WriteLine(Widen(text).c_str());
}
