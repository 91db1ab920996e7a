// Key paths as the store keeps them: components from the hive name down ("HKEY_LOCAL_MACHINE",
// "SOFTWARE", ...), with the case they were created with.
#pragma once

#include "platform/win/Types.h"

#include <string>
#include <vector>

namespace platform::registry {

using KeyPath = std::vector<std::wstring>;

// The key behind a predefined handle; empty for any other handle. HKEY_CLASSES_ROOT is
// HKLM\SOFTWARE\Classes itself, so what installers register machine-wide is what it shows.
KeyPath PredefinedKeyPath(HKEY key);
bool IsPredefinedKey(HKEY key);

// The key a .reg file means by a hive name ("HKEY_CLASSES_ROOT", ...); empty when unknown.
KeyPath HiveKeyPath(const std::wstring& hiveName);

// Splits a caller's subkey ("a\b\c"; null and "" are the key itself; one trailing backslash is
// allowed). ERROR_BAD_PATHNAME for a leading backslash or an empty component,
// ERROR_INVALID_PARAMETER for a component longer than Windows allows.
LONG ParseSubKey(const wchar_t* subKey, KeyPath& parts);

// The key a 32-bit program reaches: HKLM\SOFTWARE and everything below it lives under
// HKLM\SOFTWARE\WOW6432Node, except HKLM\SOFTWARE\Classes, which both views share.
KeyPath RedirectTo32BitView(const KeyPath& path);

// True when inner is outer or lies below it (ignoring case).
bool IsWithin(const KeyPath& inner, const KeyPath& outer);

// Whether the path is (when includingItself) or holds a key Windows never deletes: one behind a
// predefined handle, or HKLM\SOFTWARE\WOW6432Node, the root of the 32-bit view.
bool HoldsPermanentKey(const KeyPath& path, bool includingItself);

std::wstring JoinKeyPath(const KeyPath& path);
KeyPath SplitKeyPath(const std::wstring& joined);

} // namespace platform::registry
