#include "platform/win/WindowManager.h"

#include "platform/IniFile.h"
#include "platform/Machine.h"
#include "platform/win/Errors.h"

BOOL EnumDisplaySettingsW(LPCWSTR deviceName, DWORD modeNum, DEVMODEW* devMode)
{
    if (!devMode || (deviceName && *deviceName)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (modeNum != ENUM_CURRENT_SETTINGS && modeNum != ENUM_REGISTRY_SETTINGS && modeNum != 0)
        return FALSE;
    const long long height = platform::Machine().screenHeight;
    const platform::IniFile ini(platform::MachineIniPath());
    const long long width = ini.GetInt(L"Machine", L"ScreenWidth", height * 16 / 9);
    devMode->dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT | DM_DISPLAYFREQUENCY;
    devMode->dmBitsPerPel = 32;
    devMode->dmPelsWidth = width > 0 ? static_cast<DWORD>(width) : 0;
    devMode->dmPelsHeight = height > 0 ? static_cast<DWORD>(height) : 0;
    devMode->dmDisplayFrequency = 60;
    return TRUE;
}
