// The machine's running processes by image name, from the layer's process list.
#pragma once

#include "platform/Windows.h"

#include <string>
#include <vector>

namespace running_processes {

// The ids of the processes whose image name is one of the names (ignoring case), in the list's
// order: never 0, never above INT_MAX, never this process's own, at most `limit` of them.
std::vector<DWORD> IdsOf(const std::vector<std::wstring>& imageNames, size_t limit);

} // namespace running_processes
