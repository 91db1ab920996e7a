// Questions about paths and CSIDL values answered from the process-wide special-folder table.
#pragma once

#include <string>

// True when the path, less one trailing backslash or "/", is a known special folder.
bool IsKnownFolder(const std::wstring& path);

// The 64-bit CSIDL of a 32-bit program-files CSIDL (0x2A gives 0x26, 0x2C gives 0x2B); -1 for any
// other value.
int MapX86ToNative(int csidl);

// True for the system folder (0x25).
bool IsSystemCsidl(int csidl);

// True when the path is the folder itself or, with allowBelow, lies below it.
bool IsUnderSystemFolder(const std::wstring& path, bool allowBelow);
bool IsUnderSystemX86Folder(const std::wstring& path, bool allowBelow);
bool IsUnderWindowsFolder(const std::wstring& path, bool allowBelow);
// The 32-bit program files folder, or the program files folder where that is unknown.
bool IsUnderProgramFiles(const std::wstring& path, bool allowBelow);
