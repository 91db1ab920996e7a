// What the main program leaves on the machine: its log, Quarnel.log in the machine's temporary
// folder, as UTF-8 text, and the junk monitor's shutdown marker.
#pragma once

#include "platform/Machine.h"
#include "platform/Text.h"
#include "platform/Windows.h"
#include "support/TempMachine.h"

#include <string>

inline std::string ReadProgramLog()
{
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::string bytes = testing_support::ReadFile(platform::HostPath(std::wstring(temp) + L"Quarnel.log"));
    return platform::ToUtf8(platform::FromUtf16LEBytes(bytes.data(), bytes.size()));
}

// Host path of the marker the junk monitor writes when the session ends.
inline std::string ShutdownMarker()
{
    wchar_t local[MAX_PATH] = {};
    GetEnvironmentVariableW(L"LOCALAPPDATA", local, MAX_PATH);
    return platform::HostPath(std::wstring(local) + L"\\Orvane\\Quarnel\\shutdown.tmp");
}
