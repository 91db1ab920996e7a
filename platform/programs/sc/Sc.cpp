// The Windows service control program, standing in for the real one on the machine's services
// (ServiceStore.h tells where they are kept):
//
//   sc query <service>
//   sc start <service>
//   sc stop <service>
//   sc config <service> start= boot|system|auto|delayed-auto|demand|disabled
//
// A first argument naming a computer ("\\name") is skipped. Output and exit codes follow the real
// program: the status block (TYPE, STATE, ...), "[SC] ChangeServiceConfig SUCCESS", or
// "[SC] <call> FAILED <error>:" with the error's text, the exit code then being the error number
// (1056 already running, 1058 disabled, 1060 no such service, 1062 not started, 87 bad option,
// 1639 bad command line). FailMode.h tells how a test makes it fail (access denied, 5).

#include "Console.h"
#include "FailMode.h"
#include "ServiceStore.h"

#include "platform/Text.h"
#include "platform/Windows.h"

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

using standin::Print;
using standin::Service;

constexpr DWORD ERROR_INVALID_COMMAND_LINE_CODE = 1639;

[[noreturn]] void Fail(const std::string& call, DWORD error)
{
    Print("[SC] " + call + " FAILED " + std::to_string(error) + ":\r\n\r\n" + standin::ServiceErrorText(error) + "\r\n\r\n");
    standin::Exit(error);
}

std::string TypeText(DWORD type)
{
    switch (type) {
    case 0x1: return "1  KERNEL_DRIVER";
    case 0x2: return "2  FILE_SYSTEM_DRIVER";
    case 0x10: return "10  WIN32_OWN_PROCESS";
    default: {
        char hex[16];
        std::snprintf(hex, sizeof(hex), "%x", type);
        return std::string(hex) + "  WIN32_SHARE_PROCESS";
    }
    }
}

void PrintStatus(const Service& service, DWORD state)
{
    static const std::map<DWORD, std::string> states = {
        {standin::SERVICE_STATE_STOPPED, "1  STOPPED"},
        {standin::SERVICE_STATE_START_PENDING, "2  START_PENDING"},
        {standin::SERVICE_STATE_STOP_PENDING, "3  STOP_PENDING"},
        {standin::SERVICE_STATE_RUNNING, "4  RUNNING"},
    };
    const bool stoppable = state == standin::SERVICE_STATE_RUNNING || state == standin::SERVICE_STATE_STOP_PENDING;
    std::string text = "\r\nSERVICE_NAME: " + platform::ToUtf8(service.name) + "\r\n" +
                       "        TYPE               : " + TypeText(service.type) + "\r\n" +
                       "        STATE              : " + states.at(state) + "\r\n" +
                       (stoppable ? "                                (STOPPABLE, NOT_PAUSABLE, ACCEPTS_SHUTDOWN)\r\n"
                                  : "                                (NOT_STOPPABLE, NOT_PAUSABLE, IGNORES_SHUTDOWN)\r\n") +
                       "        WIN32_EXIT_CODE    : 0  (0x0)\r\n"
                       "        SERVICE_EXIT_CODE  : 0  (0x0)\r\n"
                       "        CHECKPOINT         : 0x0\r\n"
                       "        WAIT_HINT          : 0x0\r\n";
    if (state == standin::SERVICE_STATE_START_PENDING)
        text += "        PID                : " + std::to_string(GetCurrentProcessId()) +
                "\r\n        FLAGS              :\r\n";
    Print(text);
}

void Query(const Service& service)
{
    PrintStatus(service, service.running ? standin::SERVICE_STATE_RUNNING : standin::SERVICE_STATE_STOPPED);
}

void Start(const Service& service)
{
    if (service.start == standin::SERVICE_START_DISABLED)
        Fail("StartService", standin::ERROR_SERVICE_DISABLED_CODE);
    if (service.running)
        Fail("StartService", standin::ERROR_SERVICE_ALREADY_RUNNING_CODE);
    if (!standin::StoreRunning(service, true))
        Fail("StartService", ERROR_ACCESS_DENIED);
    PrintStatus(service, standin::SERVICE_STATE_START_PENDING);
}

void Stop(const Service& service)
{
    if (!service.running)
        Fail("ControlService", standin::ERROR_SERVICE_NOT_ACTIVE_CODE);
    if (!standin::StoreRunning(service, false))
        Fail("ControlService", ERROR_ACCESS_DENIED);
    PrintStatus(service, standin::SERVICE_STATE_STOP_PENDING);
}

void Config(const Service& service, const std::vector<std::wstring>& options)
{
    static const std::map<std::wstring, DWORD> starts = {
        {L"BOOT", 0}, {L"SYSTEM", 1}, {L"AUTO", 2}, {L"DELAYED-AUTO", 2}, {L"DEMAND", 3}, {L"DISABLED", 4},
    };
    if (options.size() != 2 || platform::UpperCase(options[0]) != L"START=")
        Fail("ChangeServiceConfig", ERROR_INVALID_PARAMETER);
    const std::wstring value = platform::UpperCase(options[1]);
    const auto start = starts.find(value);
    if (start == starts.end())
        Fail("ChangeServiceConfig", ERROR_INVALID_PARAMETER);
    if (!standin::StoreStart(service, start->second, value == L"DELAYED-AUTO"))
        Fail("ChangeServiceConfig", ERROR_ACCESS_DENIED);
    Print("[SC] ChangeServiceConfig SUCCESS\r\n");
}

[[noreturn]] void Usage()
{
    Print("DESCRIPTION:\r\n"
          "        SC is a command line program used for communicating with the\r\n"
          "        Service Control Manager and services.\r\n"
          "USAGE:\r\n"
          "        sc <server> [command] [service name] <option1> <option2>...\r\n"
          "        Commands: query, start, stop, config (start= boot|system|auto|delayed-auto|demand|disabled)\r\n");
    standin::Exit(ERROR_INVALID_COMMAND_LINE_CODE);
}

} // namespace

int main()
{
    std::vector<std::wstring> arguments = standin::Arguments();
    if (!arguments.empty() && arguments[0].rfind(L"\\\\", 0) == 0)
        arguments.erase(arguments.begin());
    if (arguments.size() < 2)
        Usage();
    const std::wstring command = platform::UpperCase(arguments[0]);
    const bool known = command == L"QUERY" || command == L"START" || command == L"STOP" || command == L"CONFIG";
    if (!known || (command != L"CONFIG" && arguments.size() != 2))
        Usage();
    if (standin::MustFail(L"sc"))
        Fail("OpenSCManager", ERROR_ACCESS_DENIED);
    const auto service = standin::FindService(arguments[1], false);
    if (!service)
        Fail(command == L"QUERY" ? "EnumQueryServicesStatus:OpenService" : "OpenService",
             standin::ERROR_SERVICE_DOES_NOT_EXIST_CODE);
    if (command == L"QUERY")
        Query(*service);
    else if (command == L"START")
        Start(*service);
    else if (command == L"STOP")
        Stop(*service);
    else
        Config(*service, std::vector<std::wstring>(arguments.begin() + 2, arguments.end()));
    standin::Exit(0);
}
