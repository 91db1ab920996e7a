// What the clean-up page tests share: the build's program folder as the program's, so that
// pictures, the gatherer and its rule files are found, and waiting on the event loop.
#pragma once

#include "support/WaitUntil.h"

#include <QTest>

#include <functional>

namespace junk_test {

// Makes the build's program folder the layer's program folder.
void UseBuildProgramFolder();

// Processes events until the condition holds; false when it did not within the time.
inline bool WaitUntil(const std::function<bool()>& condition, int milliseconds = testing_support::kPatience.count())
{
    return QTest::qWaitFor(condition, milliseconds);
}

} // namespace junk_test
