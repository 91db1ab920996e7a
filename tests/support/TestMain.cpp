#include "support/MachinePerTest.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

// Every test process gets a machine root of its own before any test runs, so no test can reach
// the host's own data folder.
int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    testing_support::TempMachine machine;
    testing_support::MachinePerTest::Install();
    return RUN_ALL_TESTS();
}
