#include "RegExpMatcher.h"

namespace rule_regexp {

namespace {

// Far beyond what names and values of 260 characters need.
constexpr size_t kMaxSteps = 1000000;
constexpr size_t kMaxDepth = 3000;

struct BudgetExceeded {};

const std::pair<size_t, size_t> kNoGroup{RegExpMatch_::npos, RegExpMatch_::npos};

} // namespace

CRegExpMatcher::CRegExpMatcher(const ParsedPattern& pattern, const std::wstring& input)
    : pattern_(pattern), input_(input), groups_(pattern.captureCount, kNoGroup)
{
}

bool CRegExpMatcher::Search(RegExpMatch_& match)
{
    try {
        for (size_t start = 0; start <= input_.size(); ++start) {
            groups_.assign(groups_.size(), kNoGroup);
            size_t end = 0;
            const auto accept = [&end](size_t pos) {
                end = pos;
                return true;
            };
            if (MatchAlternatives(pattern_.alternatives, start, accept)) {
                match.start = start;
                match.end = end;
                match.groups = groups_;
                return true;
            }
        }
    } catch (const BudgetExceeded&) {
    }
    return false;
}

bool CRegExpMatcher::MatchAlternatives(const std::vector<Sequence>& alternatives, size_t pos, const Continuation& next)
{
    for (const Sequence& sequence : alternatives)
        if (MatchSequence(sequence, 0, pos, next))
            return true;
    return false;
}

bool CRegExpMatcher::MatchSequence(const Sequence& sequence, size_t index, size_t pos, const Continuation& next)
{
    if (index == sequence.size())
        return next(pos);
    const auto rest = [&](size_t reached) { return MatchSequence(sequence, index + 1, reached, next); };
    return MatchRepeated(sequence[index], 0, pos, rest);
}

bool CRegExpMatcher::MatchRepeated(const Node& node, int count, size_t pos, const Continuation& next)
{
    if (++steps_ > kMaxSteps || depth_ >= kMaxDepth)
        throw BudgetExceeded();
    struct DepthGuard {
        size_t& depth;
        explicit DepthGuard(size_t& d) : depth(d) { ++depth; }
        ~DepthGuard() { --depth; }
    } guard(depth_);

    const bool mayStop = count >= node.minCount;
    const bool mayGoOn = node.maxCount < 0 || count < node.maxCount;
    // A repetition that took nothing would repeat for ever: once enough were taken it ends there.
    const auto again = [&](size_t reached) {
        return !(reached == pos && mayStop) && MatchRepeated(node, count + 1, reached, next);
    };
    if (node.greedy)
        return (mayGoOn && MatchOnce(node, pos, again)) || (mayStop && next(pos));
    return (mayStop && next(pos)) || (mayGoOn && MatchOnce(node, pos, again));
}

bool CRegExpMatcher::MatchOnce(const Node& node, size_t pos, const Continuation& next)
{
    switch (node.kind) {
    case Node::Kind::InputStart:
        return pos == 0 && next(pos);
    case Node::Kind::InputEnd:
        return pos == input_.size() && next(pos);
    case Node::Kind::Group: {
        if (node.capture < 0)
            return MatchAlternatives(node.alternatives, pos, next);
        auto& group = groups_[node.capture];
        const auto taken = [&](size_t reached) {
            const auto before = group;
            group = {pos, reached};
            if (next(reached))
                return true;
            group = before;
            return false;
        };
        return MatchAlternatives(node.alternatives, pos, taken);
    }
    case Node::Kind::Not: {
        const auto groupsBefore = groups_;
        const auto anywhere = [](size_t) { return true; };
        const bool negatedMatches = MatchAlternatives(node.alternatives, pos, anywhere);
        groups_ = groupsBefore;
        return !negatedMatches && next(pos);
    }
    default:
        return MatchCharacter(node, pos) && next(pos + 1);
    }
}

bool CRegExpMatcher::MatchCharacter(const Node& node, size_t pos) const
{
    if (pos >= input_.size())
        return false;
    const wchar_t c = input_[pos];
    switch (node.kind) {
    case Node::Kind::Literal:
        return c == node.literal;
    case Node::Kind::Set: {
        bool inSet = false;
        for (const CharRange& range : node.ranges)
            inSet = inSet || (c >= range.first && c <= range.last);
        return inSet != node.negated;
    }
    default:
        return true; // any character
    }
}

} // namespace rule_regexp
