#include "RegExpParser.h"

namespace rule_regexp {

namespace {

// What a backslash and one of these letters stands for, written in the same syntax.
const wchar_t* AbbreviationOf(wchar_t letter)
{
    switch (letter) {
    case L'a': return L"([a-zA-Z0-9])";
    case L'b': return L"([ \t])";
    case L'c': return L"([a-zA-Z])";
    case L'd': return L"([0-9])";
    case L'h': return L"([0-9a-fA-F])";
    case L'n': return L"(\r?\n|\r)";
    case L'q': return L"((\"[^\"]*\")|('[^']*'))";
    case L'w': return L"([a-zA-Z]+)";
    case L'z': return L"([0-9]+)";
    default: return nullptr;
    }
}

bool IsQuantifier(wchar_t c) { return c == L'*' || c == L'+' || c == L'?'; }

} // namespace

std::optional<ParsedPattern> CRegExpParser::Parse(const std::wstring& pattern)
{
    CRegExpParser parser(pattern);
    ParsedPattern parsed;
    if (!parser.ParseAlternatives(parsed.alternatives) || !parser.AtEnd())
        return std::nullopt;
    parsed.captureCount = parser.captureCount_;
    return parsed;
}

bool CRegExpParser::ParseAlternatives(std::vector<Sequence>& alternatives)
{
    while (true) {
        alternatives.emplace_back();
        if (!ParseSequence(alternatives.back()))
            return false;
        if (AtEnd() || Peek() != L'|')
            return true;
        ++pos_;
    }
}

bool CRegExpParser::ParseSequence(Sequence& sequence)
{
    while (!AtEnd() && Peek() != L'|' && Peek() != L')' && Peek() != L'}') {
        sequence.emplace_back();
        if (!ParseElement(sequence.back()))
            return false;
    }
    return true;
}

// "!" negates the element that follows it, repetition included.
bool CRegExpParser::ParseElement(Node& node)
{
    if (!AtEnd() && Peek() == L'!') {
        ++pos_;
        node.kind = Node::Kind::Not;
        node.alternatives.emplace_back(1);
        return !AtEnd() && ParseElement(node.alternatives.back().front());
    }
    return ParseAtom(node) && ParseQuantifier(node);
}

bool CRegExpParser::ParseAtom(Node& node)
{
    const wchar_t c = Peek();
    if (c == L'|' || c == L')' || c == L'}')
        return false; // only a negation can bring the parser here without an element
    ++pos_;
    switch (c) {
    case L'.': node.kind = Node::Kind::Any; return true;
    case L'^': node.kind = Node::Kind::InputStart; return true;
    case L'$': node.kind = Node::Kind::InputEnd; return true;
    case L'[': return ParseSet(node);
    case L'{': node.capture = captureCount_++; return ParseGroup(node, L'}');
    case L'(': return ParseGroup(node, L')');
    case L'\\': return ParseEscape(node);
    default:
        if (IsQuantifier(c))
            return false; // nothing to repeat
        node.kind = Node::Kind::Literal;
        node.literal = c;
        return true;
    }
}

bool CRegExpParser::ParseGroup(Node& node, wchar_t closing)
{
    node.kind = Node::Kind::Group;
    if (!ParseAlternatives(node.alternatives) || AtEnd() || Peek() != closing)
        return false;
    ++pos_;
    return true;
}

bool CRegExpParser::ParseSet(Node& node)
{
    node.kind = Node::Kind::Set;
    if (!AtEnd() && Peek() == L'^') {
        node.negated = true;
        ++pos_;
    }
    // A backslash inside a set takes the next character as it is.
    const auto next = [this](wchar_t& c) {
        if (AtEnd())
            return false;
        if (Peek() == L'\\' && ++pos_ >= text_.size())
            return false;
        c = text_[pos_++];
        return true;
    };
    while (!AtEnd() && Peek() != L']') {
        wchar_t first = 0;
        if (!next(first))
            return false;
        wchar_t last = first;
        if (pos_ + 1 < text_.size() && Peek() == L'-' && text_[pos_ + 1] != L']') {
            ++pos_;
            if (!next(last) || last < first)
                return false;
        }
        node.ranges.push_back({first, last});
    }
    if (AtEnd() || node.ranges.empty())
        return false;
    ++pos_;
    return true;
}

bool CRegExpParser::ParseEscape(Node& node)
{
    if (AtEnd())
        return false;
    const wchar_t c = text_[pos_++];
    if (const wchar_t* abbreviation = AbbreviationOf(c)) {
        std::optional<ParsedPattern> expansion = Parse(abbreviation);
        node.kind = Node::Kind::Group;
        node.alternatives = std::move(expansion->alternatives);
        return true;
    }
    node.kind = Node::Kind::Literal;
    node.literal = c;
    return true;
}

bool CRegExpParser::ParseQuantifier(Node& node)
{
    if (AtEnd() || !IsQuantifier(Peek()))
        return true;
    if (node.kind == Node::Kind::InputStart || node.kind == Node::Kind::InputEnd)
        return false;
    const wchar_t c = text_[pos_++];
    node.minCount = c == L'+' ? 1 : 0;
    node.maxCount = c == L'?' ? 1 : -1;
    if (!AtEnd() && Peek() == L'?') {
        node.greedy = false;
        ++pos_;
    }
    return AtEnd() || !IsQuantifier(Peek());
}

} // namespace rule_regexp
