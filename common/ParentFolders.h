// Making the folder a file goes into, with every missing folder above it.
#pragma once

#include <string>

// True when the folder exists as a folder afterwards. An empty folder (the current one) exists.
bool EnsureFolder(const std::wstring& folder);

// The folder part of a path: everything before its last '\' or '/', or "" when it has none.
std::wstring FolderOf(const std::wstring& path);
