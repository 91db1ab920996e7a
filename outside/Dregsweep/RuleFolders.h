// Where a rule's folder lies on this machine: its environment variables expanded (a folder of the
// user's profile is the logged-on user's own: other people's files are theirs to clear), and its
// wildcard components matched against the folders that exist. Every answer is a plain Windows path
// on a drive, without "." or ".." components, whose folders are real folders rather than links.
#pragma once

#include <string>
#include <vector>

namespace rule_folders {

// The folders that a rule's folder text names on the machine now; empty when a variable is unknown,
// the path is not a full drive path or nothing exists.
std::vector<std::wstring> Resolve(const std::wstring& folder);

// True when the folder exists and neither it nor any folder above it on its drive is a link or a
// mount point.
bool IsPlainFolder(const std::wstring& path);
// The same for the folder only, its parent known to be plain.
bool IsPlainFolderEntry(const std::wstring& path);

} // namespace rule_folders
