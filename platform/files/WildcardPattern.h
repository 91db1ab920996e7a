// A file-name pattern as Windows' FindFirstFileW matches it: "*" any run of characters, "?" one
// character, or nothing where the name has a dot or ends; "*" before a dot runs over anything but
// the name's last dot, and a dot before "*", "?" or at the pattern's end also matches the end of
// the name (so "*.*" matches every name and "*." the names without a dot).
#pragma once

#include <string>
#include <vector>

namespace platform::files {

class WildcardPattern {
public:
    WildcardPattern(const std::wstring& pattern, bool caseSensitive);

    bool Matches(const std::wstring& name) const;

private:
    enum class Kind { Literal, Star, StarBeforeDot, QuestionMark, DotOrEnd };
    struct Token {
        Kind kind;
        wchar_t literal;
    };

    bool MatchFrom(size_t token, size_t position, const std::wstring& name, size_t lastDot,
                   std::vector<signed char>& memo) const;

    std::vector<Token> tokens_;
    bool caseSensitive_;
};

} // namespace platform::files
