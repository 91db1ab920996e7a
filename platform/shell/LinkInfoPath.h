// The target a shell link's link information names, as the shell reads it: the local path (its
// Unicode fields where the structure has them, else its ANSI fields), else the network path (the
// mapped drive, or the share where no drive is named, then the common path suffix).
#pragma once

#include <string>
#include <string_view>

namespace platform::shell {

// Whether the structure holds at least its header, as its size fields say.
bool IsWholeLinkInfo(std::string_view info);

// info: the whole structure, its size field included. itemListPath: the path the link's item list
// spells, which names the target in Unicode where the ANSI fields are in a code page other than
// UTF-8. Empty when the structure names no target or is damaged.
std::wstring LinkInfoPath(std::string_view info, const std::wstring& itemListPath);

} // namespace platform::shell
