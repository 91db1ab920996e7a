// The built plug-in, loaded by name as the clean-up library loads it.
#include "DefragMachine.h"

#include "platform/Text.h"
#include "platform/Windows.h"

#include <gtest/gtest.h>

namespace {

using scatterscope_test::StatusLog;

typedef IDefragController* (*ControllerExport)();

TEST(ScatterscopeModule, BothControllersWorkThroughTheLoadedPlugin)
{
    testing_support::TempMachine machine;
    scatterscope_test::PrepareMachine(machine, "6.1.7601", "[Drive D]\nFragmentation=26\n");
    const HMODULE module =
        LoadLibraryW(testing_support::InstallFromBuild(testing_support::BuildProgramFolder() + "/Scatterscope.so").c_str());
    ASSERT_NE(module, nullptr);
    const auto analysisExport = reinterpret_cast<ControllerExport>(
        reinterpret_cast<void (*)()>(GetProcAddress(module, "AnalysisControllerImp")));
    const auto defragExport = reinterpret_cast<ControllerExport>(
        reinterpret_cast<void (*)()>(GetProcAddress(module, "DefragmControllerImp")));
    ASSERT_NE(analysisExport, nullptr);
    ASSERT_NE(defragExport, nullptr);

    StatusLog log;
    IDefragController* analysis = analysisExport();
    IDefragController* defrag = defragExport();
    for (IDefragController* controller : {analysis, defrag}) {
        ASSERT_EQ(controller->Init(), 0u);
        ASSERT_EQ(controller->SetCallback(&StatusLog::Callback, &log), 0u);
    }
    const std::wstring d = scatterscope_test::VolumeOf(L'D');
    analysis->Start(d.c_str());
    StatusLog::Entry analysed;
    ASSERT_TRUE(log.WaitFor(d, DEFRAG_STATE_ANALYSED, &analysed));
    EXPECT_EQ(analysed.value, 26);
    defrag->Start(d.c_str());
    ASSERT_TRUE(log.WaitFor(d, DEFRAG_STATE_DEFRAGMENTED));
    for (IDefragController* controller : {analysis, defrag}) {
        EXPECT_EQ(controller->Uninit(), 0u);
        controller->Release();
    }
    const std::string calls =
        testing_support::ReadFile(machine.Root() + "/drive_c/ProgramData/Orvane/Tallyrun/calls.log");
    EXPECT_NE(calls.find("Clean_Disk_Optimize_Complete"), std::string::npos);
}

} // namespace
