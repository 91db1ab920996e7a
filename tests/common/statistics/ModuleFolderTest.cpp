// The binding looks for the library beside the module that holds it, not beside the program.
#include "platform/Windows.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

typedef int (*ProbeExport)();

TEST(TallyrunModuleFolder, TheLibraryIsTakenFromTheFolderOfTheReportingModule)
{
    testing_support::TempMachine machine;
    machine.UseProgramFolder();
    const std::string library = machine.Root() + "/drive_c/library";
    fs::create_directories(library);
    fs::copy_file(
        fs::read_symlink("/proc/self/exe").parent_path() / "StatisticsProbe.so", library + "/StatisticsProbe.so");
    fs::copy_file(testing_support::BuildProgramFolder() + "/Tallyrun.so", library + "/Tallyrun.so");

    const HMODULE probe = LoadLibraryW(L"C:\\library\\StatisticsProbe.so");
    ASSERT_NE(probe, nullptr);
    const auto report =
        reinterpret_cast<ProbeExport>(reinterpret_cast<void (*)()>(GetProcAddress(probe, "ProbeSetInfoData")));
    ASSERT_NE(report, nullptr);
    EXPECT_EQ(report(), 1);
    const std::string calls =
        testing_support::ReadFile(machine.Root() + "/drive_c/ProgramData/Orvane/Tallyrun/calls.log");
    EXPECT_EQ(calls, "_SetInfoData(\"Probe_Event\", 1, 2, 3, 1, \"Probe\")\n");
}

} // namespace
