// One rule of a category ("RegGarbageInfo"): the key it walks, the pattern the names of its
// subkeys or values must match, and what decides that a matching entry is junk.
#pragma once

#include "RegCollectProc.h"
#include "RegKeyHandle.h"
#include "RuleRegExp.h"

#include <memory>
#include <optional>
#include <string>

class CHivesift;
class CRegGarbageCatagory;
class TiXmlElement;

class CRegGarbageCollect {
public:
    CRegGarbageCollect(const TiXmlElement& element, CHivesift* gatherer, CRegGarbageCatagory* catagory);
    CRegGarbageCollect(const CRegGarbageCollect&) = delete;
    CRegGarbageCollect& operator=(const CRegGarbageCollect&) = delete;

    // Whether the element named a key or a pattern, which makes its category a valid one.
    bool NamesKeyOrPattern() const { return namesKeyOrPattern_; }

    // Walks the rule's key and reports each junk entry to the gatherer.
    void Collect();

private:
    bool NameMatches(const std::wstring& name) const;
    void CheckEntry(const std::wstring& name);
    void CheckEmptyKey(const std::wstring& name);
    std::wstring SubKeyPath(const std::wstring& name) const;

    CHivesift* gatherer_;
    CRegGarbageCatagory* catagory_;
    HKEY key_ = nullptr; // the opened key, or the root itself
    CRegKeyHandle openedKey_;
    std::wstring item_;
    std::wstring patternText_;
    std::optional<CRuleRegExp> pattern_;
    bool enumValues_ = false;
    int procType_ = 1;
    std::unique_ptr<CRegCollectProc> procedure_;
    bool namesKeyOrPattern_ = false;
};
