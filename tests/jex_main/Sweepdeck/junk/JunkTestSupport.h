// What the junk page tests share: the build's program folder as the program's, so that pictures,
// the gatherer and its rule files are found, and waiting on the GUI thread.
#pragma once

#include <functional>

namespace junk_test {

// Makes the build's program folder the layer's program folder.
void UseBuildProgramFolder();

// Processes events until the condition holds; false when it did not within the time.
bool WaitUntil(const std::function<bool()>& condition, int milliseconds = 10000);

} // namespace junk_test
