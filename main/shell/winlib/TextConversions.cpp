#include "winlib/TextConversions.h"

#include "platform/Windows.h"

#include <climits>
#include <locale>
#include <sstream>

namespace {

std::string Narrow(UINT codePage, const wchar_t* text, size_t length)
{
    if (length == 0 || length > INT_MAX)
        return std::string();
    const int wide = static_cast<int>(length);
    const int bytes = WideCharToMultiByte(codePage, 0, text, wide, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0)
        return std::string();
    std::string result(static_cast<size_t>(bytes), '\0');
    const int written = WideCharToMultiByte(codePage, 0, text, wide, result.data(), bytes, nullptr, nullptr);
    result.resize(written > 0 ? static_cast<size_t>(written) : 0);
    return result;
}

std::wstring Widen(UINT codePage, const char* text, size_t length)
{
    if (length == 0 || length > INT_MAX)
        return std::wstring();
    const int bytes = static_cast<int>(length);
    const int chars = MultiByteToWideChar(codePage, 0, text, bytes, nullptr, 0);
    if (chars <= 0)
        return std::wstring();
    std::wstring result(static_cast<size_t>(chars), L'\0');
    const int written = MultiByteToWideChar(codePage, 0, text, bytes, result.data(), chars);
    result.resize(written > 0 ? static_cast<size_t>(written) : 0);
    return result;
}

template <typename Char, typename Integer>
std::basic_string<Char> Decimal(Integer value)
{
    std::basic_ostringstream<Char> stream;
    stream.imbue(std::locale::classic());
    stream << value;
    return stream.str();
}

} // namespace

std::string WideToUtf8(const wchar_t* text)
{
    return text ? Narrow(CP_UTF8, text, std::char_traits<wchar_t>::length(text)) : std::string();
}

std::wstring Utf8ToWide(const char* text)
{
    return text ? Widen(CP_UTF8, text, std::char_traits<char>::length(text)) : std::wstring();
}

std::wstring AnsiToWideString(const std::string& text)
{
    return Widen(CP_ACP, text.data(), text.size());
}

std::string WideToAnsiString(const std::wstring& text)
{
    return Narrow(CP_ACP, text.data(), text.size());
}

std::wstring IntToWString(int32_t value)
{
    return Decimal<wchar_t>(value);
}

std::string IntToString(int32_t value)
{
    return Decimal<char>(value);
}

std::wstring Int64ToWString(int64_t value)
{
    return Decimal<wchar_t>(value);
}
