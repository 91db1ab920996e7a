#include "ServiceStore.h"

#include "platform/Text.h"

#include <vector>

namespace standin {

namespace {

const wchar_t* const SERVICES_KEY = L"SYSTEM\\CurrentControlSet\\Services";

std::optional<DWORD> ReadNumber(HKEY key, const wchar_t* name)
{
    DWORD value = 0, size = sizeof(value), type = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<LPBYTE>(&value), &size) != ERROR_SUCCESS ||
        type != REG_DWORD)
        return std::nullopt;
    return value;
}

std::wstring ReadText(HKEY key, const wchar_t* name)
{
    std::vector<wchar_t> text(1024, L'\0');
    DWORD size = static_cast<DWORD>((text.size() - 1) * sizeof(wchar_t)), type = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<LPBYTE>(text.data()), &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return {};
    return text.data();
}

Service Describe(HKEY key, const std::wstring& name)
{
    Service service;
    service.name = name;
    service.displayName = ReadText(key, L"DisplayName");
    if (service.displayName.empty())
        service.displayName = name;
    service.type = ReadNumber(key, L"Type").value_or(service.type);
    service.start = ReadNumber(key, L"Start").value_or(service.start);
    const auto state = ReadNumber(key, L"CurrentState");
    service.running = state ? *state == SERVICE_STATE_RUNNING : service.start == SERVICE_START_AUTOMATIC;
    return service;
}

bool StoreNumber(const Service& service, const wchar_t* name, DWORD value)
{
    HKEY key = nullptr;
    const std::wstring path = std::wstring(SERVICES_KEY) + L"\\" + service.name;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return false;
    const bool stored = RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                                       sizeof(value)) == ERROR_SUCCESS;
    RegCloseKey(key);
    return stored;
}

} // namespace

std::string ServiceErrorText(DWORD error)
{
    switch (error) {
    case ERROR_ACCESS_DENIED: return "Access is denied.";
    case ERROR_INVALID_PARAMETER: return "The parameter is incorrect.";
    case ERROR_SERVICE_ALREADY_RUNNING_CODE: return "An instance of the service is already running.";
    case ERROR_SERVICE_DISABLED_CODE:
        return "The service cannot be started, either because it is disabled or because it has no enabled devices "
               "associated with it.";
    case ERROR_SERVICE_DOES_NOT_EXIST_CODE: return "The specified service does not exist as an installed service.";
    case ERROR_SERVICE_NOT_ACTIVE_CODE: return "The service has not been started.";
    default: return "The operation failed.";
    }
}

std::optional<Service> FindService(const std::wstring& text, bool matchDisplayName)
{
    HKEY services = nullptr;
    if (text.empty() || RegOpenKeyExW(HKEY_LOCAL_MACHINE, SERVICES_KEY, 0, KEY_READ, &services) != ERROR_SUCCESS)
        return std::nullopt;
    std::optional<Service> byName, byDisplayName;
    wchar_t name[256];
    for (DWORD index = 0; !byName; ++index) {
        DWORD length = 256;
        if (RegEnumKeyExW(services, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        HKEY key = nullptr;
        if (RegOpenKeyExW(services, name, 0, KEY_READ, &key) != ERROR_SUCCESS)
            continue;
        const Service service = Describe(key, name);
        RegCloseKey(key);
        if (platform::EqualsIgnoringCase(service.name, text))
            byName = service;
        else if (matchDisplayName && !byDisplayName && platform::EqualsIgnoringCase(service.displayName, text))
            byDisplayName = service;
    }
    RegCloseKey(services);
    return byName ? byName : byDisplayName;
}

bool StoreStart(const Service& service, DWORD start, bool delayed)
{
    // The state is recorded first: a service that ran because of its automatic start keeps running.
    return StoreRunning(service, service.running) && StoreNumber(service, L"Start", start) &&
           StoreNumber(service, L"DelayedAutostart", delayed ? 1 : 0);
}

bool StoreRunning(const Service& service, bool running)
{
    return StoreNumber(service, L"CurrentState", running ? SERVICE_STATE_RUNNING : SERVICE_STATE_STOPPED);
}

} // namespace standin
