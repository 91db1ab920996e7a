// What the clean-up page tests share: the build's program folder as the program's, so that
// pictures, the gatherer and its rule files are found, waiting on the event loop, and keeping the
// library's export objects as the main program keeps them.
#pragma once

#include "support/WaitUntil.h"

#include <QTest>

#include <functional>

class IExportWidget;

namespace junk_test {

// Makes the build's program folder the layer's program folder.
void UseBuildProgramFolder();

// Processes events until the condition holds; false when it did not within the time.
inline bool WaitUntil(const std::function<bool()>& condition, int milliseconds = testing_support::kPatience.count())
{
    return QTest::qWaitFor(condition, milliseconds);
}

// Keeps an export object for the rest of the run and gives it back: the library never deletes
// one and its interface has no release, so its host holds it to the end as the main program does.
IExportWidget* KeptForTheRun(IExportWidget* exported);

} // namespace junk_test
