// Gives every test case a machine root of its own and hands the next case the process environment
// as it found it, so that the cases of one program run whole in one process as they run alone: no
// case sees the files, reports or variables an earlier one left behind, and each finds the program
// folder and the current folder the one before it found.
#pragma once

#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

namespace testing_support {

class MachinePerTest : public testing::EmptyTestEventListener {
public:
    void OnTestStart(const testing::TestInfo&) override;
    void OnTestEnd(const testing::TestInfo&) override;

    // Installs one for the whole run (call after InitGoogleTest).
    static void Install();

private:
    std::map<std::string, std::string> environment_;
    std::string programFolder_;
    std::wstring currentFolder_;
    std::string hostFolder_;
    std::unique_ptr<TempMachine> machine_;
};

} // namespace testing_support
