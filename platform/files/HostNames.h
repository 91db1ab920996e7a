// One Windows name for every host name, and back. A host name is any string of bytes but "/" and
// NUL; a Windows name can hold neither the characters \ / : * ? " < > | and control characters,
// nor bytes that are not UTF-8. Each such byte b is written as the private-use character U+F000 + b,
// and so is each byte of a host name that already holds one of those private-use characters, so
// that a listed name always leads back to the very same host name and never to another.
#pragma once

#include <string>

namespace platform::files {

std::wstring WindowsName(const std::string& hostName);

// The host name of a Windows name; false when the name holds a character no name may hold.
bool HostName(const std::wstring& windowsName, std::string& hostName);
// The same for the length characters at name, appended to hostName.
bool AppendHostName(const wchar_t* name, size_t length, std::string& hostName);
// The host name of the length characters at name where they are one name of a folder, the way the
// native calls take a name relative to a folder handle: not empty, no path, neither "." nor "..".
bool SingleHostName(const wchar_t* name, size_t length, std::string& hostName);

} // namespace platform::files
