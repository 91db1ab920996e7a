// How the file functions turn their path arguments into host paths, and the Windows errors of
// paths that could not be reached.
#pragma once

#include "platform/win/Types.h"

#include <string>

namespace platform::files {

// Windows' full form of a path: a relative or drive-relative path completed from the current
// folder, "." and ".." folded (never above the root), slashes turned into backslashes, a volume
// name ("\\?\Volume{...}\x") turned into its drive letter. A trailing backslash is kept.
std::wstring FullWindowsPath(const std::wstring& path);

// The host path (absolute) a path argument names; empty, with ERROR_PATH_NOT_FOUND set, when the
// argument is null or empty, names no drive of the machine, or is a network path.
std::string ResolvePath(LPCWSTR path);

// The current folder as Windows shows it: as it was set (Windows keeps the name it was given,
// whatever the file system redirects it to), or as the host's current folder reads.
std::wstring CurrentWindowsFolder();
// Makes the host folder current, remembering the Windows name it was set by; false with errno set.
bool ChangeCurrentFolder(const std::wstring& windowsPath, const std::string& hostFolder);

// Sets the last error for a host call on hostPath that failed with errno: a missing name is
// ERROR_FILE_NOT_FOUND when its folder exists and ERROR_PATH_NOT_FOUND otherwise. Returns false.
bool FailFromErrno(const std::string& hostPath);

// Sets the last error and returns false, for one-line refusals.
bool Fail(DWORD error);
// Sets the last error and returns the invalid handle value.
HANDLE InvalidHandle(DWORD error);

// The folder part of a host path ("/" for a name directly below the root).
std::string ParentFolder(const std::string& hostPath);

// Copies text with its terminator into a caller's buffer of bufferLength characters, by Windows'
// rule: the length without the terminator when it fits, otherwise the length the buffer needs
// (terminator included) and nothing copied.
DWORD CopyToBuffer(const std::wstring& text, LPWSTR buffer, DWORD bufferLength);

} // namespace platform::files
