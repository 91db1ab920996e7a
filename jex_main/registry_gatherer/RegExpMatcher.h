// Backtracking search of one parsed pattern in one input.
#pragma once

#include "RegExpNode.h"
#include "RuleRegExp.h"

#include <string>

namespace rule_regexp {

class CRegExpMatcher {
public:
    CRegExpMatcher(const ParsedPattern& pattern, const std::wstring& input);

    // False when no place matches or when the search runs past its step or depth budget, so that
    // a hostile pattern or input can neither hang the scan nor exhaust the stack.
    bool Search(RegExpMatch_& match);

private:
    // What is left to match after an element: called with the position reached.
    class Continuation {
    public:
        template <class F>
        Continuation(const F& f) : object_(&f), call_([](const void* o, size_t pos) { return (*static_cast<const F*>(o))(pos); }) {}
        bool operator()(size_t pos) const { return call_(object_, pos); }

    private:
        const void* object_;
        bool (*call_)(const void*, size_t);
    };

    bool MatchAlternatives(const std::vector<Sequence>& alternatives, size_t pos, const Continuation& next);
    bool MatchSequence(const Sequence& sequence, size_t index, size_t pos, const Continuation& next);
    bool MatchRepeated(const Node& node, int count, size_t pos, const Continuation& next);
    bool MatchOnce(const Node& node, size_t pos, const Continuation& next);
    bool MatchCharacter(const Node& node, size_t pos) const;

    const ParsedPattern& pattern_;
    const std::wstring& input_;
    std::vector<std::pair<size_t, size_t>> groups_;
    size_t steps_ = 0;
    size_t depth_ = 0;
};

} // namespace rule_regexp
