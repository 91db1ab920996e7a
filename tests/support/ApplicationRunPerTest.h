// Hands every test case an application whose run was not ended. The program ends its run with
// QCoreApplication::exit (its exit and quit requests); a case that makes that call while no run is
// going leaves Qt's quit flag set, and every later event loop of the process, a dialog's exec among
// them, would end at once.
#pragma once

#include <gtest/gtest.h>

namespace testing_support {

class ApplicationRunPerTest : public testing::EmptyTestEventListener {
public:
    void OnTestEnd(const testing::TestInfo&) override;

    // Installs one for the whole run (call once the application exists).
    static void Install();
};

} // namespace testing_support
