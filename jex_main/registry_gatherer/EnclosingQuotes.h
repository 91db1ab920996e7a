// Registry text often encloses a path in double quotes.
#pragma once

#include <string>

// The text without a double quote at both its start and its end; a lone double quote is taken
// as an empty quoted text.
inline std::wstring WithoutEnclosingQuotes(const std::wstring& text)
{
    if (text.empty() || text.front() != L'"' || text.back() != L'"')
        return text;
    return text.size() >= 2 ? text.substr(1, text.size() - 2) : std::wstring();
}
