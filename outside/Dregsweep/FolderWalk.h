// The walk of one of a rule's folders: every entry listed once, links and mount points neither
// entered nor taken, files newer than the rule's age left out. Files are not opened: the listing
// tells size, times and attributes.
#pragma once

#include "JunkFindings.h"
#include "JunkRule.h"

#include <functional>

class CFolderWalk {
public:
    // Asked now and then during the walk; false ends it.
    using KeepGoing = std::function<bool()>;

    CFolderWalk(const JunkRule& rule, uint64_t now, KeepGoing keepGoing);

    // Adds what the rule finds below the folder (a plain folder) to the findings; false when the
    // walk was ended.
    bool Walk(const std::wstring& folder, JunkFindings& findings);

private:
    bool IsOldEnough(const WIN32_FIND_DATAW& data) const;

    const JunkRule& rule_;
    uint64_t newestTaken_;
    KeepGoing keepGoing_;
    unsigned sinceAsked_ = 0;
};
