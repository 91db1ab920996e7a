// A machine for the stand-alone program's tests: the build's program folder as the program's, an
// administrator, planted junk on C: and a data drive D: whose free space a test chooses.
#pragma once

#include "jex_main/Sweepdeck/junk/JunkTestSupport.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <string>

namespace standalone_test {

class StandaloneTest : public testing::Test {
protected:
    // D: of 100 GB with this share of it free.
    void MakeMachine(int dataFreePercent);
    // Loads the gatherers, the volume lister and the controllers through the services.
    void LoadEngines();
    void TearDown() override;

    testing_support::TempMachine machine;
};

using junk_test::WaitUntil;

} // namespace standalone_test
