// The product's folder in the user's profile, where settings that belong to the user (log-in,
// update state) live: the program folder is shared by every user and not theirs to write.
#pragma once

#include <string>

// CSIDL_APPDATA (roaming) or CSIDL_LOCAL_APPDATA + "\Orvane\Quarnel", as a Windows path without a
// trailing backslash, made when missing; empty when the folder cannot be had.
std::wstring UserProductFolder(bool roaming);

// The local settings file "localcfg.ini" of the user (roaming), as a Windows path; empty when
// the folder cannot be had.
std::wstring LocalCfgPath();
