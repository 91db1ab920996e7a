// The process's environment as a Windows program sees it: names matched ignoring case, the
// machine's Windows variables (USERPROFILE, APPDATA, TEMP, windir, ProgramFiles, ...) over the
// host's environment for every other name. Changes stay within the process.
#pragma once

#include "platform/win/Errors.h"
#include "platform/win/Types.h"

#include <optional>
#include <string>

#pragma GCC visibility push(default)

// The length without the terminator, or the size needed with it when the buffer is too small;
// 0 with ERROR_ENVVAR_NOT_FOUND when the variable is not set (0 with ERROR_SUCCESS when it is empty).
DWORD GetEnvironmentVariableW(LPCWSTR name, LPWSTR buffer, DWORD size);
// A null value removes the variable.
BOOL SetEnvironmentVariableW(LPCWSTR name, LPCWSTR value);
// Replaces each %NAME% of a set variable; other text, unknown names among it, stays as it stands.
// Returns the size with the terminator (also when the destination is too small, which it then
// leaves alone).
DWORD ExpandEnvironmentStringsW(LPCWSTR source, LPWSTR destination, DWORD size);

namespace platform {

// The value of a variable of the process's environment, ignoring the case of the name.
std::optional<std::wstring> EnvironmentValue(const std::wstring& name);

} // namespace platform

#pragma GCC visibility pop
