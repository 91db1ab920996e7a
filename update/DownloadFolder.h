// Where the update fetcher stores a description it fetched.
#pragma once

#include <string>

// "kyphtupdate.ini" in the folder a fetched description waits in before it may replace the
// installed one: the user's own local application data ("Orvane\Quarnel"), which other users
// cannot write, unlike a temporary folder that may be shared. The folder is made when missing;
// "" when it cannot be.
std::wstring FetchedDescriptionPath();
