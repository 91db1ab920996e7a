// Small path and file queries of the program. Those with redirectionOff look past the file-system
// redirection of a 32-bit process on 64-bit Windows when it is true.
#pragma once

#include <cstdint>
#include <string>

// The program's folder without a trailing backslash, worked out once.
const std::wstring& GetExeDir();

// The program's "cache" folder.
std::wstring GetCacheDir();

// True for a non-empty path whose attributes can be read.
bool PathExists(const std::wstring& path);

// True when the folder exists or could be made (one level only).
bool EnsureDirectory(const std::wstring& path);

// The size of the file, 0 when it cannot be read.
uint64_t GetFileSize64(const std::wstring& path, bool redirectionOff);

// True when the path's attributes can be read.
bool FileExists(const std::wstring& path, bool redirectionOff);

// True when the path exists and is not a folder; a missing path reads as a folder.
bool IsNotFolder(const std::wstring& path, bool redirectionOff);
