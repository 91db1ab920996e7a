#include "DemoRegistry.h"

std::wstring DemoRegistryText(const std::wstring& installFolder)
{
    std::wstring escaped;
    for (const wchar_t c : installFolder) {
        if (c == L'\\' || c == L'"')
            escaped += L'\\';
        escaped += c;
    }
    return LR"(Windows Registry Editor Version 5.00

[HKEY_LOCAL_MACHINE\SOFTWARE\WOW6432Node\ORVANE\Movanta]
"Language"="English"

[HKEY_LOCAL_MACHINE\SOFTWARE\WOW6432Node\Microsoft\Windows\CurrentVersion\Uninstall\{B6A3F0D2-7C41-4E8A-9D15-2F6E8C0A4B17}_is1]
"DisplayName"="Orvane Quarnel Beta 1.0.0"
"DisplayVersion"="1.0.0"
"Publisher"="Orvane"
"InstallLocation"=")" + escaped + LR"("
"EstimatedSize"=dword:00014c08

[HKEY_LOCAL_MACHINE\SOFTWARE\WOW6432Node\Microsoft\Windows\CurrentVersion\Run]
"AudioTray"="\"C:\\Program Files (x86)\\Realm Audio\\tray.exe\" /background"

[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Run]
"SecurityNotice"="C:\\Windows\\System32\\securitynotice.exe"

[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run]

[HKEY_LOCAL_MACHINE\SOFTWARE\WOW6432Node\Policies\Microsoft\Windows\WindowsUpdate\AU]
"NoAutoUpdate"=dword:00000000
"AUOptions"=dword:00000004

[HKEY_LOCAL_MACHINE\SOFTWARE\Policies\Microsoft\Windows\WindowsUpdate\AU]
"NoAutoUpdate"=dword:00000000
"AUOptions"=dword:00000004

[HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Services\wuauserv]
"DisplayName"="Windows Update"
"Start"=dword:00000003
"Type"=dword:00000020
"CurrentState"=dword:00000004
"ImagePath"=hex(2):25,00,53,00,79,00,73,00,74,00,65,00,6d,00,52,00,6f,00,6f,00,74,00,25,00,5c,00,\
  53,00,79,00,73,00,74,00,65,00,6d,00,33,00,32,00,5c,00,73,00,76,00,63,00,68,\
  00,6f,00,73,00,74,00,2e,00,65,00,78,00,65,00,20,00,2d,00,6b,00,20,00,6e,00,\
  65,00,74,00,73,00,76,00,63,00,73,00,20,00,2d,00,70,00,00,00
"ObjectName"="LocalSystem"

[HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Services\WaaSMedicSvc]
"DisplayName"="Windows Update Medic Service"
"Start"=dword:00000003
"Type"=dword:00000020

[HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Services\Spooler]
"DisplayName"="Print Spooler"
"Start"=dword:00000002
"Type"=dword:00000110
)";
}
