// The stand-in sc: the service configuration and state it keeps in the registry, its status
// blocks and error codes, and failing on request.
#include "platform/programs/standin/StandInTestSupport.h"

namespace {

class ScProgramTest : public standin_test::ServiceProgramTest {};

TEST_F(ScProgramTest, DisablingStoppingEnablingAndStartingTheUpdateService)
{
    const auto running = Run(L"sc query wuauserv");
    EXPECT_EQ(running.exitCode, 0u);
    EXPECT_TRUE(Holds(running.output, "SERVICE_NAME: wuauserv\r\n")) << running.output;
    EXPECT_TRUE(Holds(running.output, "        TYPE               : 20  WIN32_SHARE_PROCESS\r\n"));
    EXPECT_TRUE(Holds(running.output, "        STATE              : 4  RUNNING\r\n"));

    const auto disabled = Run(L"sc config wuauserv start= disabled");
    EXPECT_EQ(disabled.exitCode, 0u);
    EXPECT_EQ(disabled.output, "[SC] ChangeServiceConfig SUCCESS\r\n");
    EXPECT_EQ(ServiceValue(L"wuauserv", L"Start"), 4);

    const auto stopping = Run(L"sc stop wuauserv");
    EXPECT_EQ(stopping.exitCode, 0u);
    EXPECT_TRUE(Holds(stopping.output, "STATE              : 3  STOP_PENDING\r\n")) << stopping.output;
    EXPECT_EQ(ServiceValue(L"wuauserv", L"CurrentState"), 1);
    EXPECT_TRUE(Holds(Run(L"sc query WUAUSERV").output, "STATE              : 1  STOPPED\r\n"));

    const auto refused = Run(L"sc start wuauserv");
    EXPECT_EQ(refused.exitCode, 1058u);
    EXPECT_TRUE(Holds(refused.output, "[SC] StartService FAILED 1058:\r\n\r\nThe service cannot be started"));

    EXPECT_EQ(Run(L"sc config wuauserv start= auto").exitCode, 0u);
    EXPECT_EQ(ServiceValue(L"wuauserv", L"Start"), 2);
    const auto starting = Run(L"sc start wuauserv");
    EXPECT_EQ(starting.exitCode, 0u);
    EXPECT_TRUE(Holds(starting.output, "STATE              : 2  START_PENDING\r\n")) << starting.output;
    EXPECT_TRUE(Holds(Run(L"sc query wuauserv").output, "4  RUNNING"));
}

TEST_F(ScProgramTest, ErrorsEndWithTheirWindowsErrorNumbers)
{
    const auto missing = Run(L"sc query nosuchsvc");
    EXPECT_EQ(missing.exitCode, 1060u);
    EXPECT_EQ(missing.output, "[SC] EnumQueryServicesStatus:OpenService FAILED 1060:\r\n\r\n"
                              "The specified service does not exist as an installed service.\r\n\r\n");
    EXPECT_EQ(Run(L"sc stop nosuchsvc").exitCode, 1060u);
    EXPECT_EQ(Run(L"sc start WaaSMedicSvc").exitCode, 1056u);
    EXPECT_EQ(Run(L"sc stop WaaSMedicSvc").exitCode, 0u);
    EXPECT_EQ(Run(L"sc stop WaaSMedicSvc").exitCode, 1062u);
    EXPECT_EQ(Run(L"sc config wuauserv start= sometimes").exitCode, 87u);
    EXPECT_EQ(Run(L"sc config wuauserv").exitCode, 87u);
    EXPECT_EQ(ServiceValue(L"wuauserv", L"Start"), 2);
    EXPECT_EQ(Run(L"sc pause wuauserv").exitCode, 1639u);
    EXPECT_EQ(Run(L"sc").exitCode, 1639u);
    EXPECT_EQ(Run(L"sc \\\\DESKTOP-QUARNEL query wuauserv").exitCode, 0u);
}

TEST_F(ScProgramTest, FailsOnRequestWithoutTouchingTheService)
{
    SetIniValue(L"Fail", L"sc", L"exit");
    const auto refused = Run(L"sc config wuauserv start= disabled");
    EXPECT_EQ(refused.exitCode, 5u);
    EXPECT_EQ(refused.output, "[SC] OpenSCManager FAILED 5:\r\n\r\nAccess is denied.\r\n\r\n");
    EXPECT_FALSE(Holds(Run(L"sc query wuauserv").output, "STATE"));
    EXPECT_EQ(ServiceValue(L"wuauserv", L"Start"), 2);

    SetIniValue(L"Fail", L"sc", L"silent");
    const auto silent = Run(L"sc stop wuauserv");
    EXPECT_EQ(silent.exitCode, 1u);
    EXPECT_EQ(silent.output, "");
    EXPECT_EQ(ServiceValue(L"wuauserv", L"CurrentState"), -1);
}

} // namespace
