// The stand-in net: starting and stopping the machine's services by name or display name, its
// messages and exit codes, and failing on request.
#include "platform/programs/standin/StandInTestSupport.h"

namespace {

class NetProgramTest : public standin_test::ServiceProgramTest {};

TEST_F(NetProgramTest, StopsAndStartsAServiceNamedEitherWay)
{
    const auto stop = Run(L"net stop WaaSMedicSvc");
    EXPECT_EQ(stop.exitCode, 0u);
    EXPECT_EQ(stop.output, "The Windows Update Medic Service service is stopping.\r\n"
                           "The Windows Update Medic Service service was stopped successfully.\r\n\r\n");
    EXPECT_EQ(ServiceValue(L"WaaSMedicSvc", L"CurrentState"), 1);

    const auto start = Run(L"net start \"windows update medic service\"");
    EXPECT_EQ(start.exitCode, 0u);
    EXPECT_TRUE(Holds(start.output, "The Windows Update Medic Service service was started successfully.")) << start.output;
    EXPECT_EQ(ServiceValue(L"WaaSMedicSvc", L"CurrentState"), 4);
    EXPECT_EQ(Run(L"net stop Windows Update").exitCode, 0u);
    EXPECT_EQ(ServiceValue(L"wuauserv", L"CurrentState"), 1);
}

TEST_F(NetProgramTest, RefusalsEndWithExitCodeTwo)
{
    const auto started = Run(L"net start wuauserv");
    EXPECT_EQ(started.exitCode, 2u);
    EXPECT_TRUE(Holds(started.output, "The requested service has already been started.")) << started.output;

    EXPECT_EQ(Run(L"net stop wuauserv").exitCode, 0u);
    const auto notStarted = Run(L"net stop wuauserv");
    EXPECT_EQ(notStarted.exitCode, 2u);
    EXPECT_TRUE(Holds(notStarted.output, "The Windows Update service is not started.\r\n\r\n"
                                         "More help is available by typing NET HELPMSG 3521."));

    EXPECT_EQ(Run(L"sc config wuauserv start= disabled").exitCode, 0u);
    const auto disabled = Run(L"net start wuauserv");
    EXPECT_EQ(disabled.exitCode, 2u);
    EXPECT_TRUE(Holds(disabled.output, "System error 1058 has occurred."));
    EXPECT_EQ(ServiceValue(L"wuauserv", L"CurrentState"), 1);

    const auto missing = Run(L"net start nosuchsvc");
    EXPECT_EQ(missing.exitCode, 2u);
    EXPECT_TRUE(Holds(missing.output, "The service name is invalid."));
    EXPECT_EQ(Run(L"net pause wuauserv").exitCode, 1u);
}

TEST_F(NetProgramTest, FailsOnRequestWithoutTouchingTheService)
{
    SetIniValue(L"Fail", L"net", L"exit");
    const auto refused = Run(L"net stop WaaSMedicSvc");
    EXPECT_EQ(refused.exitCode, 2u);
    EXPECT_EQ(refused.output, "System error 5 has occurred.\r\n\r\nAccess is denied.\r\n\r\n");
    EXPECT_EQ(ServiceValue(L"WaaSMedicSvc", L"CurrentState"), 4);
}

} // namespace
