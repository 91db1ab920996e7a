// Four-part build numbers ("a.b.c.d") as update descriptions write them.
#pragma once

#include <array>

typedef std::array<int, 4> BuildNumber;

// An integer, then three times: one separator character of any kind and an integer. Parts that
// cannot be read stay 0, and so do all parts after them; "" is 0.0.0.0.
BuildNumber ParseBuildNumber(const wchar_t* text);

// Numbers, not texts, are compared: 1.2.3.10 is newer than 1.2.3.4.
bool IsNewerBuild(const wchar_t* installed, const wchar_t* offered);
