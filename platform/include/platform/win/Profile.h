// Windows' profile (INI file) functions. A file name without a folder is taken from the Windows
// folder (C:\Windows\<name>), as on Windows. Writers lock the file against the other threads and
// processes of the machine for their read-modify-write, so none loses another's keys.
#pragma once

#include "platform/win/Errors.h"
#include "platform/win/Types.h"

#pragma GCC visibility push(default)

// With a null section: the section names, with a null key: the key names of the section, each
// ended by a null and the list by another; a list that does not fit is cut and ends in two nulls,
// and size - 2 is returned. Otherwise the value (without matching quotes around it) or the default
// (without trailing blanks); a text that does not fit is cut and size - 1 is returned. The return
// value never counts the final null.
DWORD GetPrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR defaultValue, LPWSTR returned, DWORD size,
                               LPCWSTR fileName);
// The same with UTF-8 text ("ANSI" is UTF-8 here); sizes in bytes.
DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR returned, DWORD size,
                               LPCSTR fileName);
// The leading (optionally signed) decimal digits of the value: 0 when it has none, the default when
// the key is missing or empty.
UINT GetPrivateProfileIntW(LPCWSTR section, LPCWSTR key, INT defaultValue, LPCWSTR fileName);
DWORD GetPrivateProfileSectionNamesW(LPWSTR returned, DWORD size, LPCWSTR fileName);
// The section's "key=value" entries as a list (see above).
DWORD GetPrivateProfileSectionW(LPCWSTR section, LPWSTR returned, DWORD size, LPCWSTR fileName);

// A null value deletes the key, a null key the whole section; the file is made when missing (its
// folder must exist).
BOOL WritePrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR value, LPCWSTR fileName);
BOOL WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR fileName);
// Replaces the section's keys with the "key=value" entries of a double-null-terminated list; a
// null list deletes the section.
BOOL WritePrivateProfileSectionW(LPCWSTR section, LPCWSTR entries, LPCWSTR fileName);

#pragma GCC visibility pop
