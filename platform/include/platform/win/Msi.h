// Windows Installer's answers about advertised shortcuts, from the machine.
//
// An advertised shortcut names no program: its ".lnk" file carries, in its Darwin data block
// (signature 0xA0000006, the text in the block's wide part), the product, the feature and the
// component that provide the program. On this machine that text is the product code, the feature
// name, ">" and the component code, the codes written as "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}".
// Where a component of a product is installed is the machine registry's, as Windows keeps it for
// products installed for all users: the key
//   HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Installer\UserData\S-1-5-18\Components\<packed component code>
// holds under the value <packed product code> the path. A packed code is the code's hexadecimal
// digits without separators, each of its first three groups reversed and each following byte's
// two digits swapped.
#pragma once

#include "platform/win/Types.h"

#pragma GCC visibility push(default)

typedef int INSTALLSTATE;
#define INSTALLSTATE_MOREDATA (-3)
#define INSTALLSTATE_INVALIDARG (-2)
#define INSTALLSTATE_UNKNOWN (-1)
#define INSTALLSTATE_ABSENT 2
#define INSTALLSTATE_LOCAL 3

#define MAX_FEATURE_CHARS 38
#define ERROR_FUNCTION_FAILED 1627L

// Each output is optional: the codes need 39 characters, the feature MAX_FEATURE_CHARS + 1.
// ERROR_FUNCTION_FAILED for a file that is no advertised shortcut (or none at all).
UINT MsiGetShortcutTargetW(LPCWSTR shortcutPath, LPWSTR productCode, LPWSTR featureId, LPWSTR componentCode);

// INSTALLSTATE_LOCAL when the component's registered path exists, INSTALLSTATE_ABSENT when it does
// not, INSTALLSTATE_UNKNOWN when the component is not registered for the product. pathChars in:
// the buffer's size; out: the path's length without the terminator (INSTALLSTATE_MOREDATA when the
// buffer is too small for it).
INSTALLSTATE MsiGetComponentPathW(LPCWSTR product, LPCWSTR component, LPWSTR path, LPDWORD pathChars);

#pragma GCC visibility pop
