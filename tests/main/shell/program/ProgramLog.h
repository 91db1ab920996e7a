// The main program's log, Quarnel.log in the machine's temporary folder, as UTF-8 text.
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
