// Entry names as they reach the file system.
#pragma once

#include <string>

// An entry name's bytes as text. With the UTF-8 flag the name is UTF-8 (what is not becomes
// U+FFFD); without it a name that is valid UTF-8 is read as such, as many writers use UTF-8
// without saying so, and any other name is code page 437, as the format defines it.
std::wstring DecodeEntryName(const std::string& bytes, bool utf8Flag);

// Drops what would root the name elsewhere, repeatedly: a leading drive ("X:"), a leading '\' or
// '/', and everything up to and with the first "\..\", "\../", "/../" or "/..\" (in that order).
// "C:\..\x\..\evil.txt" becomes "evil.txt", "/abs/a.txt" becomes "abs/a.txt".
std::wstring SanitiseEntryName(const std::wstring& name);

// Whether a sanitised name stays inside the folder it is joined to: not empty, no ':' (a drive
// or an alternate stream), and no part between separators that Windows would read as a parent
// folder (two or more dots, trailing blanks ignored).
bool IsContainedEntryName(const std::wstring& name);
