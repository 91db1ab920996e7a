#include "FailMode.h"

#include "Console.h"

#include "platform/Machine.h"
#include "platform/Text.h"
#include "platform/Windows.h"

namespace standin {

bool MustFail(const wchar_t* program)
{
    const std::wstring wanted =
        platform::UpperCase(platform::IniFile(platform::MachineIniPath()).Get(L"Fail", program, L""));
    if (wanted == L"SILENT")
        Exit(1);
    return wanted == L"EXIT";
}

} // namespace standin
