// The COM check of the rules, answered from the registry: a class counts as creatable when
// HKEY_CLASSES_ROOT\CLSID\{class} names a server (in-process server, in-process handler or local
// server) whose file exists. Nothing is ever loaded, created or started, so a scan cannot run a
// stranger's code; whether the class offers a given interface cannot be told without creating it,
// so the interface plays no part.
#pragma once

#include "platform/Windows.h"

#include <string>

namespace com_lookup {

// The class identifier of "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}"; false, with a zero
// identifier, for any other text.
bool ClassIdFromText(const std::wstring& text, GUID& classId);

// A server named without a folder is looked for in the system directory.
bool ClassServerAvailable(const GUID& classId, const std::wstring& systemDirectory);

} // namespace com_lookup
