#include "FailMode.h"

#include "Console.h"

#include "platform/Machine.h"
#include "platform/Text.h"
#include "platform/Windows.h"

namespace standin {

bool MustFail(const wchar_t* program)
{
    const std::wstring ini = platform::FromUtf8(platform::MachineIniPath());
    wchar_t mode[32] = {};
    GetPrivateProfileStringW(L"Fail", program, L"", mode, 32, ini.c_str());
    const std::wstring wanted = platform::UpperCase(mode);
    if (wanted == L"SILENT")
        Exit(1);
    return wanted == L"EXIT";
}

} // namespace standin
