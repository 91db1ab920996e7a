// Walking a folder of the machine through the layer's file functions, as attrib and chkdsk do.
#pragma once

#include "platform/Windows.h"

#include <functional>
#include <string>

namespace standin {

using EntryVisitor = std::function<void(const std::wstring& path, const WIN32_FIND_DATAW& entry)>;

// Calls visit for each entry of the folder whose name matches the pattern (Windows' wildcards),
// "." and ".." left out; with recurse, then walks every subfolder the same way (links and mount
// points are not entered).
void WalkFolder(const std::wstring& folder, const std::wstring& pattern, bool recurse, const EntryVisitor& visit);

// The folder path joined with a name, with one backslash between them.
std::wstring JoinPath(const std::wstring& folder, const std::wstring& name);

} // namespace standin
