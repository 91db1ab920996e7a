// The parsed form of a rule pattern: a sequence of elements, each with how often it may repeat.
#pragma once

#include <vector>

namespace rule_regexp {

struct Node;
using Sequence = std::vector<Node>;

struct CharRange {
    wchar_t first;
    wchar_t last;
};

struct Node {
    enum class Kind {
        Literal,    // one given character
        Any,        // any one character
        Set,        // one character of the ranges (or, negated, of none of them)
        Group,      // one of the alternatives; a match group when capture is not -1
        Not,        // matches nothing, and only where its one alternative does not match
        InputStart, // the start of the input
        InputEnd,   // the end of the input
    };

    Kind kind = Kind::Literal;
    wchar_t literal = 0;
    std::vector<CharRange> ranges;
    bool negated = false;
    std::vector<Sequence> alternatives;
    int capture = -1;

    // Unbounded when maxCount is -1; greedy repetition tries the longest run first.
    int minCount = 1;
    int maxCount = 1;
    bool greedy = true;
};

} // namespace rule_regexp
