// Turns pattern text in the rule files' syntax into its parsed form.
#pragma once

#include "RegExpNode.h"

#include <optional>
#include <string>

namespace rule_regexp {

struct ParsedPattern {
    std::vector<Sequence> alternatives;
    int captureCount = 0;
};

class CRegExpParser {
public:
    // Nothing when the text is not a valid pattern.
    static std::optional<ParsedPattern> Parse(const std::wstring& pattern);

private:
    explicit CRegExpParser(const std::wstring& pattern) : text_(pattern) {}

    bool ParseAlternatives(std::vector<Sequence>& alternatives);
    bool ParseSequence(Sequence& sequence);
    bool ParseElement(Node& node);
    bool ParseAtom(Node& node);
    bool ParseGroup(Node& node, wchar_t closing);
    bool ParseSet(Node& node);
    bool ParseEscape(Node& node);
    bool ParseQuantifier(Node& node);

    bool AtEnd() const { return pos_ >= text_.size(); }
    wchar_t Peek() const { return text_[pos_]; }

    const std::wstring& text_;
    size_t pos_ = 0;
    int captureCount_ = 0;
};

} // namespace rule_regexp
