// The path a shell link's item list spells, as the shell resolves it: the computer's root entry,
// a drive entry ("C:\") and one file entry per folder and for the file, each by its long name in
// Unicode from the entry's extension block (its short name where the block is missing).
#pragma once

#include <string>
#include <string_view>

namespace platform::shell {

// Empty for an item list that leads anywhere else (the network, a special folder's own items) or
// that is damaged.
std::wstring ItemListPath(std::string_view items);

} // namespace platform::shell
