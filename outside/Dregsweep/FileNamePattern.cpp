#include "FileNamePattern.h"

#include <cwctype>

namespace {

std::wstring Folded(std::wstring text)
{
    for (wchar_t& c : text)
        c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    return text;
}

// Greedy matching with one backtrack point per star: linear in practice, never exponential.
bool Match(const std::wstring& pattern, const std::wstring& name)
{
    size_t p = 0;
    size_t n = 0;
    size_t starP = std::wstring::npos;
    size_t starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == L'?' || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == L'*') {
            starP = p++;
            starN = n;
        } else if (starP != std::wstring::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == L'*')
        ++p;
    return p == pattern.size();
}

} // namespace

CFileNamePattern::CFileNamePattern(std::vector<std::wstring> patterns)
{
    matchesAll_ = patterns.empty();
    for (std::wstring& pattern : patterns) {
        if (pattern == L"*" || pattern == L"*.*")
            matchesAll_ = true;
        patterns_.push_back(Folded(std::move(pattern)));
    }
}

bool CFileNamePattern::Matches(const std::wstring& name) const
{
    if (matchesAll_)
        return true;
    const std::wstring folded = Folded(name);
    for (const std::wstring& pattern : patterns_)
        if (Match(pattern, folded))
            return true;
    return false;
}
