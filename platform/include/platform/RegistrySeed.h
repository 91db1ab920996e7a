// Filling and shaping the machine's registry from outside the Reg*W functions: importing .reg
// text (as regedit does), choosing the process's default view, and marking keys read-only as
// Windows' permissions make HKLM keys for a user who is not an administrator.
#pragma once

#include "platform/win/Types.h"

#include <string>

#pragma GCC visibility push(default)

namespace platform {

struct RegistryImportResult {
    bool ok = false;
    std::wstring message; // what was wrong and on which line, when not ok
};

// Imports text in the format "Windows Registry Editor Version 5.00": [key] sections (created),
// [-key] sections (deleted with everything below), "name"="text" with \\ and \" escapes, @= for
// the default value, dword:, hex:, hex(n): data (continued over lines ending in a backslash), and
// "name"=- (deleted). Keys are written as named, into the 64-bit view: the 32-bit view's keys are
// named with their WOW6432Node path, as regedit on 64-bit Windows exports them. Damaged text
// changes nothing and says what is wrong.
RegistryImportResult ImportRegistryText(const std::wstring& text);

// The same for a file in UTF-16LE with its byte-order mark, or UTF-8.
RegistryImportResult ImportRegistryFile(const std::string& hostPath);

// The view that Reg*W calls without KEY_WOW64_32KEY or KEY_WOW64_64KEY use on a 64-bit machine.
// The system's programs are 32-bit programs, so the 32-bit view is the default; a stand-in
// 64-bit program (or a test acting as one) switches to the 64-bit view.
void SetDefaultRegistryView64(bool view64);

// Marks the key (created when missing) so that opening it or a key below it for anything more
// than reading fails with ERROR_ACCESS_DENIED, as it does on HKLM for a user who is not an
// administrator. The path is resolved in the process's default view.
LONG SetRegistryKeyProtected(HKEY root, const std::wstring& path, bool isProtected);

} // namespace platform

#pragma GCC visibility pop
