#include "JunkTestSupport.h"

#include "platform/Machine.h"
#include "support/TempMachine.h"

#include <vector>

namespace junk_test {

void UseBuildProgramFolder() { platform::SetProgramFolder(testing_support::BuildProgramFolder()); }

IExportWidget* KeptForTheRun(IExportWidget* exported)
{
    // Never destroyed, so the objects are still held when the process ends.
    static auto* const kept = new std::vector<IExportWidget*>;
    kept->push_back(exported);
    return exported;
}

} // namespace junk_test
