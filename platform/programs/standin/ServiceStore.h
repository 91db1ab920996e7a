// The machine's services as sc and net see them, kept in the registry:
//
//   HKLM\SYSTEM\CurrentControlSet\Services\<name>
//     Start          REG_DWORD  0 boot, 1 system, 2 automatic, 3 on demand, 4 disabled
//     DelayedAutostart REG_DWORD 1 for a delayed automatic start
//     Type           REG_DWORD  the service type (0x20 shared process when missing)
//     DisplayName    REG_SZ     the name net shows (the service name when missing)
//     CurrentState   REG_DWORD  the stand-ins' record of whether it runs: 1 stopped, 4 running;
//                               when missing, a service with an automatic start runs
//
// A service exists when its key does.
#pragma once

#include "platform/Windows.h"

#include <optional>
#include <string>

namespace standin {

constexpr DWORD SERVICE_STATE_STOPPED = 1;
constexpr DWORD SERVICE_STATE_START_PENDING = 2;
constexpr DWORD SERVICE_STATE_STOP_PENDING = 3;
constexpr DWORD SERVICE_STATE_RUNNING = 4;

constexpr DWORD ERROR_SERVICE_ALREADY_RUNNING_CODE = 1056;
constexpr DWORD ERROR_SERVICE_DISABLED_CODE = 1058;
constexpr DWORD ERROR_SERVICE_DOES_NOT_EXIST_CODE = 1060;
constexpr DWORD ERROR_SERVICE_NOT_ACTIVE_CODE = 1062;

constexpr DWORD SERVICE_START_AUTOMATIC = 2;
constexpr DWORD SERVICE_START_DISABLED = 4;

struct Service {
    std::wstring name;         // as the registry keeps it
    std::wstring displayName;
    DWORD type = 0x20;
    DWORD start = 3;
    bool running = false;
};

// The service whose name (or, when allowed, display name) matches the text ignoring case.
std::optional<Service> FindService(const std::wstring& text, bool matchDisplayName);

// Windows' text for the errors of service control ("Access is denied.").
std::string ServiceErrorText(DWORD error);

// A new start type leaves whether the service runs as it was.
bool StoreStart(const Service& service, DWORD start, bool delayed);
bool StoreRunning(const Service& service, bool running);

} // namespace standin
