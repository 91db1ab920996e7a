#include "RuleRegExp.h"

#include "RegExpMatcher.h"

#include <cwctype>

namespace {

std::wstring LowerCased(std::wstring text)
{
    for (wchar_t& c : text)
        c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    return text;
}

} // namespace

bool CRuleRegExp::Compile(const std::wstring& pattern, bool caseSensitive)
{
    std::optional<rule_regexp::ParsedPattern> parsed =
        rule_regexp::CRegExpParser::Parse(caseSensitive ? pattern : LowerCased(pattern));
    compiled_ = parsed.has_value();
    caseSensitive_ = caseSensitive;
    pattern_ = compiled_ ? std::move(*parsed) : rule_regexp::ParsedPattern();
    return compiled_;
}

bool CRuleRegExp::Match(const std::wstring& input, RegExpMatch_* match) const
{
    if (!compiled_)
        return false;
    const std::wstring lowered = caseSensitive_ ? std::wstring() : LowerCased(input);
    RegExpMatch_ found;
    rule_regexp::CRegExpMatcher matcher(pattern_, caseSensitive_ ? input : lowered);
    if (!matcher.Search(found))
        return false;
    if (match)
        *match = std::move(found);
    return true;
}
