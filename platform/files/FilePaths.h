// How the file functions turn their path arguments into host paths, and the Windows errors of
// paths that could not be reached.
#pragma once

#include "PathResolver.h"

#include "platform/win/Types.h"

#include <string>

namespace platform::files {

// Windows' full form of a path: a relative or drive-relative path completed from the current
// folder, "." and ".." folded (never above the root), slashes turned into backslashes, a volume
// name ("\\?\Volume{...}\x") turned into its drive letter. A trailing backslash is kept.
std::wstring FullWindowsPath(const std::wstring& path);

// Where a path argument leads on the host; false, with the last error set, when the argument is
// null or empty, names no drive of the machine, is a network path or holds a name no file can have.
bool ResolvePath(LPCWSTR path, Place& place);

// The process's current folder in the machine: as SetCurrentDirectoryW set it (Windows keeps the
// name it was given, whatever the file system redirects it to); before that, the host's current
// folder where it lies inside the machine, else the program folder.
std::wstring CurrentWindowsFolder();
// Makes the folder current, in the machine and on the host (so that relative host paths of Qt
// code follow); false with errno set.
bool ChangeCurrentFolder(const std::wstring& windowsPath, const Place& folder);

// Sets the last error for a host call on a place that failed with errno: a missing name (or a
// link that leads out of the machine) is ERROR_FILE_NOT_FOUND when its folder exists and
// ERROR_PATH_NOT_FOUND otherwise. Returns false.
bool FailFromErrno(const Place& place);
// The same for a host path of the layer's own making (a temporary file beside a target).
bool FailFromErrno(const std::string& hostPath);

// Puts the name of a folder (fromFolder: AT_FDCWD for a host path) in place of target: over it
// when replace is set, else only when target is still free; false with errno set (EEXIST).
bool PutInPlace(int fromFolder, const char* from, const Place& target, bool replace);

// Sets ERROR_WRITE_PROTECT and returns true when the place lies on a write-protected drive.
bool RefuseWhenWriteProtected(const Place& place);

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
