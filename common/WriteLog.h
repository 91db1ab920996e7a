// The logging entry points of every deliverable: one line per message into Quarnel.log in the
// user's temporary folder.
//
// A format is always text written in the code, never text from outside: WriteLog and WriteLogA
// take their format as a character array (a literal), so a runtime string cannot be passed as one,
// and only plain values (numbers, pointers, C strings) may follow it. Text from outside (paths,
// replies, messages of other programs) goes in as an argument of a fixed format, or whole through
// WriteLogText / WriteLogTextA.
//
// Wide formats follow the host's wide printf (%ls for a wide string). Narrow formats follow the
// narrow printf (%s for a narrow string); their result is widened from the ANSI code page and cut
// at 1023 characters.
#pragma once

#include <cstddef>
#include <type_traits>

namespace log_detail {

template <class... Args>
constexpr bool PlainArguments()
{
    return ((std::is_arithmetic_v<Args> || std::is_enum_v<Args> || std::is_pointer_v<Args> ||
             std::is_null_pointer_v<Args>) && ...);
}

int FormatAndWrite(const wchar_t* format, ...);
int FormatAndWriteA(const char* format, ...);

} // namespace log_detail

// Writes the text unchanged as one line; a null or empty text writes nothing.
int WriteLogText(const wchar_t* text);
int WriteLogTextA(const char* text);

template <size_t N, class... Args>
int WriteLog(const wchar_t (&format)[N], Args... args)
{
    static_assert(log_detail::PlainArguments<Args...>(), "log arguments must be numbers, pointers or C strings");
    return log_detail::FormatAndWrite(format, args...);
}

template <size_t N, class... Args>
int WriteLogA(const char (&format)[N], Args... args)
{
    static_assert(log_detail::PlainArguments<Args...>(), "log arguments must be numbers, pointers or C strings");
    return log_detail::FormatAndWriteA(format, args...);
}
