// The Windows network command, standing in for the real one where the system uses it: starting
// and stopping the machine's services (ServiceStore.h tells where they are kept).
//
//   net start <service>
//   net stop <service>
//
// The service is named by its service name or its display name (the words after the command).
// Exit codes: 0 done, 1 bad command line, 2 the service could not be started or stopped (no such
// service, disabled, already started, not started). FailMode.h tells how a test makes it fail
// (system error 5, access denied).

#include "Console.h"
#include "FailMode.h"
#include "ServiceStore.h"

#include "platform/Text.h"
#include "platform/Windows.h"

#include <string>
#include <vector>

namespace {

using standin::Print;

constexpr DWORD EXIT_SYNTAX = 1;
constexpr DWORD EXIT_FAILED = 2;

[[noreturn]] void FailWithHelp(const std::string& text, int helpNumber)
{
    Print(text + "\r\n\r\nMore help is available by typing NET HELPMSG " + std::to_string(helpNumber) + ".\r\n\r\n");
    standin::Exit(EXIT_FAILED);
}

[[noreturn]] void FailWithSystemError(DWORD error)
{
    Print("System error " + std::to_string(error) + " has occurred.\r\n\r\n" + standin::ServiceErrorText(error) +
          "\r\n\r\n");
    standin::Exit(EXIT_FAILED);
}

void Start(const standin::Service& service, const std::string& name)
{
    if (service.running)
        FailWithHelp("The requested service has already been started.", 2182);
    if (service.start == standin::SERVICE_START_DISABLED)
        FailWithSystemError(standin::ERROR_SERVICE_DISABLED_CODE);
    Print("The " + name + " service is starting.\r\n");
    if (!standin::StoreRunning(service, true))
        FailWithSystemError(ERROR_ACCESS_DENIED);
    Print("The " + name + " service was started successfully.\r\n\r\n");
}

void Stop(const standin::Service& service, const std::string& name)
{
    if (!service.running)
        FailWithHelp("The " + name + " service is not started.", 3521);
    Print("The " + name + " service is stopping.\r\n");
    if (!standin::StoreRunning(service, false))
        FailWithSystemError(ERROR_ACCESS_DENIED);
    Print("The " + name + " service was stopped successfully.\r\n\r\n");
}

} // namespace

int main()
{
    const std::vector<std::wstring> arguments = standin::Arguments();
    const std::wstring command = arguments.empty() ? L"" : platform::UpperCase(arguments[0]);
    if (arguments.size() < 2 || (command != L"START" && command != L"STOP")) {
        Print("The syntax of this command is:\r\n\r\nNET\r\n    [ START | STOP ] service\r\n\r\n");
        standin::Exit(EXIT_SYNTAX);
    }
    std::wstring wanted = arguments[1];
    for (size_t i = 2; i < arguments.size(); ++i)
        wanted += L" " + arguments[i];
    if (standin::MustFail(L"net"))
        FailWithSystemError(ERROR_ACCESS_DENIED);
    const auto service = standin::FindService(wanted, true);
    if (!service)
        FailWithHelp("The service name is invalid.", 2185);
    const std::string name = platform::ToUtf8(service->displayName);
    if (command == L"START")
        Start(*service, name);
    else
        Stop(*service, name);
    standin::Exit(0);
}
