#include "JunkTestSupport.h"

#include "common/KeptForProcess.h"
#include "platform/Machine.h"
#include "support/TempMachine.h"

namespace junk_test {

void UseBuildProgramFolder() { platform::SetProgramFolder(testing_support::BuildProgramFolder()); }

IExportWidget* KeptForTheRun(IExportWidget* exported) { return KeptForProcess(exported); }

} // namespace junk_test
