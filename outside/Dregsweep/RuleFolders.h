// Where a rule's folder lies on this machine: its environment variables expanded for every user
// profile when the folder lies in the logged-on user's profile, and its wildcard components
// matched against the folders that exist. Every answer is a plain Windows path on a drive, without
// "." or ".." components, whose folders are real folders rather than links.
#pragma once

#include <string>
#include <vector>

namespace rule_folders {

// The user profiles of the machine, the logged-on user's first: the folders beside that user's
// profile, without the shared ones Windows keeps there ("Public", "Default", "Default User",
// "All Users") and without links.
std::vector<std::wstring> UserProfiles();

// The folders that a rule's folder text names on the machine now; empty when a variable is unknown,
// the path is not a full drive path or nothing exists.
std::vector<std::wstring> Resolve(const std::wstring& folder, const std::vector<std::wstring>& profiles);

// True when the folder exists and neither it nor any folder above it on its drive is a link or a
// mount point.
bool IsPlainFolder(const std::wstring& path);
// The same for the folder only, its parent known to be plain.
bool IsPlainFolderEntry(const std::wstring& path);

// Case is ignored as Windows ignores it in paths.
bool SameText(const std::wstring& a, const std::wstring& b);

} // namespace rule_folders
