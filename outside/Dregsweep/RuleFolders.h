// Where a rule's folder lies on this machine: its environment variables expanded (a folder of the
// user's profile is the logged-on user's own: other people's files are theirs to clear), and its
// wildcard components matched against the folders that exist. Each folder is reached from its
// drive's folder one folder at a time, each held by handle relative to the one above it, links and
// mount points refused; its way down is recorded with every folder's volume and file index, so
// that the walk and the removal reach it again only that way, and only while it is the same.
#pragma once

#include "common/FolderChain.h"

#include <string>
#include <vector>

namespace rule_folders {

// The ways down to the folders that a rule's folder text names on the machine now, in name order;
// empty when a variable is unknown, the path is not a full drive path or nothing exists.
std::vector<FolderChain> Resolve(const std::wstring& folder);

} // namespace rule_folders
