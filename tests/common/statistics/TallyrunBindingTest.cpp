// The usage-statistics binding with and without the library beside the module holding the code
// (here the test program, whose folder is the program folder).
#include "common/TallyrunBinding.h"
#include "common/TallyrunLoader.h"
#include "support/TempMachine.h"
#include "support/FreshProcess.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

class TallyrunBindingTest : public ::testing::Test {
protected:
    std::string Calls() const
    {
        return testing_support::ReadFile(machine.Root() + "/drive_c/ProgramData/Orvane/Tallyrun/calls.log");
    }

    testing_support::TempMachine machine;
    std::string program = machine.UseProgramFolder();
};

TEST_F(TallyrunBindingTest, WithoutTheLibraryEveryBindingGivesItsFallback)
{
    RUN_IN_FRESH_PROCESS({
        EXPECT_EQ(Tallyrun_SetActionData(1, 2, 3, 4, 5, 6), 0);
        EXPECT_EQ(Tallyrun_BeginAction(), ~0ULL);
        EXPECT_EQ(Tallyrun_AddHandle(L"Task", 1, 2, L"Task"), 0);
        EXPECT_EQ(Tallyrun_GetSmartSpy(), nullptr);
        EXPECT_EQ(Tallyrun_SetInfoData(L"Event", 0, 0, 0, false, L"Category"), 0);
        EXPECT_EQ(Tallyrun_SetInfoDataEx(L"Event", 0, 1, 0, false, L"Category", 1), 0);
        EXPECT_EQ(Tallyrun_SpySetValueEx(7, 5, 1), 1);
        EXPECT_EQ(TallyrunGetProc("_SetInfoData"), nullptr);
        EXPECT_TRUE(Calls().empty());
    });
}

TEST_F(TallyrunBindingTest, WithTheLibraryEveryCallArrivesWithItsArgumentsUnchanged)
{
    std::filesystem::copy_file(testing_support::BuildProgramFolder() + "/Tallyrun.so", program + "/Tallyrun.so");
    char folder[MAX_PATH] = {};
    ASSERT_TRUE(GetModuleDirA(folder));
    EXPECT_EQ(std::string(folder).back(), '\\');
    EXPECT_FALSE(GetModuleDirA(nullptr));

    const ULONGLONG action = Tallyrun_BeginAction();
    EXPECT_NE(action, ~0ULL);
    EXPECT_EQ(Tallyrun_AddHandle(L"Task_CleanOperation", static_cast<DWORD>(action), static_cast<DWORD>(action >> 32),
                                 L"Task_CleanOperation"),
              1);
    EXPECT_EQ(Tallyrun_SetInfoData(L"Clean_Home_NoOperation", 0, 0, 0, false, L"Task_CleanOperation"), 1);
    EXPECT_EQ(Tallyrun_SetInfoDataEx(L"Clean_Large_File_Delete", 0, 1, 0, true, L"Task_CleanOperation", 1), 1);
    const ULONGLONG value = 0x100000005ULL;
    EXPECT_EQ(Tallyrun_SpySetValueEx(0x1100B, static_cast<DWORD>(value), static_cast<DWORD>(value >> 32)), 0);
    ISmartSpy* spy = Tallyrun_GetSmartSpy();
    ASSERT_NE(spy, nullptr);
    EXPECT_EQ(Tallyrun_GetSmartSpy(), spy);
    EXPECT_EQ(spy->CountEvent(12), 1);

    const std::string calls = Calls();
    for (const std::string& line :
         {"_AddHandle(\"Task_CleanOperation\", " + std::to_string(static_cast<DWORD>(action)) + ", " +
              std::to_string(static_cast<DWORD>(action >> 32)) + ", \"Task_CleanOperation\")",
          std::string("_SetInfoData(\"Clean_Home_NoOperation\", 0, 0, 0, 0, \"Task_CleanOperation\")"),
          std::string("_SetInfoDataEx(\"Clean_Large_File_Delete\", 0, 1, 0, 1, \"Task_CleanOperation\", 1)"),
          std::string("SpySetValueEx(69643, 5, 1)"), std::string("SmartSpy.CountEvent(12)")})
        EXPECT_NE(calls.find(line + "\n"), std::string::npos) << line << "\n" << calls;
    // The counter was looked up once and kept.
    EXPECT_EQ(calls.find("GetSmartSpy()"), calls.rfind("GetSmartSpy()"));
}

} // namespace
