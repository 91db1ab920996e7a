#include "support/ApplicationRunPerTest.h"
#include "support/MachinePerTest.h"
#include "support/TempMachine.h"

#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>

// Widgets run headless; every test process has a machine root of its own.
int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    testing::InitGoogleTest(&argc, argv);
    testing_support::TempMachine machine;
    testing_support::MachinePerTest::Install();
    QApplication app(argc, argv);
    testing_support::ApplicationRunPerTest::Install();
    return RUN_ALL_TESTS();
}
