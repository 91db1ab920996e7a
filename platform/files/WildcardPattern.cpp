#include "WildcardPattern.h"

#include "platform/Text.h"

namespace platform::files {

WildcardPattern::WildcardPattern(const std::wstring& pattern, bool caseSensitive) : caseSensitive_(caseSensitive)
{
    const std::wstring text = caseSensitive ? pattern : UpperCase(pattern);
    for (size_t i = 0; i < text.size(); ++i) {
        const wchar_t next = i + 1 < text.size() ? text[i + 1] : L'\0';
        switch (text[i]) {
        case L'*': tokens_.push_back({next == L'.' ? Kind::StarBeforeDot : Kind::Star, 0}); break;
        case L'?': tokens_.push_back({Kind::QuestionMark, 0}); break;
        case L'.':
            tokens_.push_back({next == L'*' || next == L'?' || next == L'\0' ? Kind::DotOrEnd : Kind::Literal, L'.'});
            break;
        default: tokens_.push_back({Kind::Literal, text[i]}); break;
        }
    }
}

bool WildcardPattern::Matches(const std::wstring& name) const
{
    const std::wstring text = caseSensitive_ ? name : UpperCase(name);
    const size_t lastDot = text.rfind(L'.');
    std::vector<signed char> memo((tokens_.size() + 1) * (text.size() + 1), -1);
    return MatchFrom(0, 0, text, lastDot, memo);
}

bool WildcardPattern::MatchFrom(size_t token, size_t position, const std::wstring& name, size_t lastDot,
                                std::vector<signed char>& memo) const
{
    signed char& known = memo[token * (name.size() + 1) + position];
    if (known >= 0)
        return known;
    const bool atEnd = position == name.size();
    bool result = false;
    if (token == tokens_.size()) {
        result = atEnd;
    } else {
        const Token& t = tokens_[token];
        switch (t.kind) {
        case Kind::Literal:
            result = !atEnd && name[position] == t.literal && MatchFrom(token + 1, position + 1, name, lastDot, memo);
            break;
        case Kind::Star:
            result = MatchFrom(token + 1, position, name, lastDot, memo) ||
                     (!atEnd && MatchFrom(token, position + 1, name, lastDot, memo));
            break;
        case Kind::StarBeforeDot:
            // Runs over anything but the name's last dot.
            result = MatchFrom(token + 1, position, name, lastDot, memo) ||
                     (!atEnd && position != lastDot && MatchFrom(token, position + 1, name, lastDot, memo));
            break;
        case Kind::QuestionMark:
            result = (atEnd || name[position] == L'.') ? MatchFrom(token + 1, position, name, lastDot, memo) ||
                                                             (!atEnd && MatchFrom(token + 1, position + 1, name,
                                                                                  lastDot, memo))
                                                       : MatchFrom(token + 1, position + 1, name, lastDot, memo);
            break;
        case Kind::DotOrEnd:
            result = atEnd ? MatchFrom(token + 1, position, name, lastDot, memo)
                           : name[position] == L'.' && MatchFrom(token + 1, position + 1, name, lastDot, memo);
            break;
        }
    }
    known = result ? 1 : 0;
    return result;
}

} // namespace platform::files
