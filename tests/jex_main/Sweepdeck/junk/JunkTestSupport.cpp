#include "JunkTestSupport.h"

#include "platform/Machine.h"
#include "support/TempMachine.h"

namespace junk_test {

void UseBuildProgramFolder() { platform::SetProgramFolder(testing_support::BuildProgramFolder()); }

} // namespace junk_test
