// How the maker's launcher spawn is told to cancel. Its starter passes the handle value of an
// inheritable event on spawn's command line. A child process cannot reach its starter's unnamed
// events through this layer, so the starter also makes a named event for that handle, under the
// name below, and signals both; spawn opens it by the same name.
#pragma once

#include "platform/Windows.h"

#include <string>

inline std::wstring SpawnCancelEventName(DWORD starterProcessId, unsigned long long handleValue)
{
    return L"Local\\spawn cancel " + std::to_wstring(starterProcessId) + L" " + std::to_wstring(handleValue);
}
