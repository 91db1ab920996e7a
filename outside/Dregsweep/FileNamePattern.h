// The file-name patterns of a junk rule: "*" any run of characters, "?" exactly one, everything
// else itself, ignoring case as Windows' file systems do. A rule lists several, any one matching.
#pragma once

#include <string>
#include <vector>

class CFileNamePattern {
public:
    // The patterns as written; an empty list matches every name.
    explicit CFileNamePattern(std::vector<std::wstring> patterns);

    bool Matches(const std::wstring& name) const;

private:
    std::vector<std::wstring> patterns_;  // folded to lower case
    bool matchesAll_ = false;
};
