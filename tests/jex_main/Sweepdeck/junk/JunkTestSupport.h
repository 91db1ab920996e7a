// What the junk page tests share: the build's program folder as the program's, so that pictures,
// the gatherer and its rule files are found.
#pragma once

namespace junk_test {

// Makes the build's program folder the layer's program folder.
void UseBuildProgramFolder();

} // namespace junk_test
