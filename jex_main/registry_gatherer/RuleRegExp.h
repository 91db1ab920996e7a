// Regular expressions in the syntax of the registry rule files: "." any character, [...] and
// [^...] sets with ranges, * + ? (greedy) and *? +? ?? (shortest first), {...} match groups
// numbered from 0 by their opening brace, (...) grouping without capture, | alternation, ! the
// negation of the following element (it matches nothing and succeeds only where that element does
// not match), ^ and $ the start and end of the input, and the abbreviations \a \b \c \d \h \n \q
// \w \z; a backslash before any other character takes it literally. Matching searches the input
// for the first place where the pattern matches.
#pragma once

#include "RegExpParser.h"

#include <string>
#include <utility>
#include <vector>

// Where a match lies in the input, and what each match group took (npos for a group that took
// part in no match).
struct RegExpMatch_ {
    static constexpr size_t npos = static_cast<size_t>(-1);

    size_t start = npos;
    size_t end = npos;
    std::vector<std::pair<size_t, size_t>> groups;
};

class CRuleRegExp {
public:
    // Without regard to case, the pattern and every input are lower-cased before matching. False,
    // keeping no pattern, when the text is not a valid pattern.
    bool Compile(const std::wstring& pattern, bool caseSensitive);

    // False also when the match would take too many steps: such an input counts as not matching.
    bool Match(const std::wstring& input, RegExpMatch_* match = nullptr) const;

private:
    bool compiled_ = false;
    bool caseSensitive_ = true;
    rule_regexp::ParsedPattern pattern_;
};
