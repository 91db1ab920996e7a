// Where the update fetcher stores a description it fetched.
#pragma once

#include <string>

// "kyphtupdate.ini" in Renewer's download folder of the program folder (made where missing), which
// only root can write in an installed product: what an elevated check reads and installs from
// there, the machine's user cannot have swapped since it arrived. A process that the kernel
// refuses that folder runs with the user's own rights, and takes the user's own local application
// data ("Orvane\Quarnel"), which no other user can write. "" when neither can be had.
std::wstring FetchedDescriptionPath();
