// The usage-statistics stand-in records each call as one line in a file of the machine.
#include "outside/Tallyrun/TallyrunApi.h"
#include "platform/Text.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

namespace {

class TallyrunTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        library = LoadLibraryW(testing_support::InstallFromBuild(testing_support::BuildProgramFolder() + "/Tallyrun.so").c_str());
        ASSERT_NE(library, nullptr);
    }

    template <class Proc>
    Proc Entry(const char* name) const
    {
        return reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
    }

    std::string Calls() const
    {
        return testing_support::ReadFile(machine.Root() + "/drive_c/ProgramData/Orvane/Tallyrun/calls.log");
    }

    testing_support::TempMachine machine;
    HMODULE library = nullptr;
};

TEST_F(TallyrunTest, EveryEntryPointAppendsOneLineWithItsArguments)
{
    const auto beginAction = Entry<TallyrunBeginActionProc>("_BeginAction");
    const auto setActionData = Entry<TallyrunSetActionDataProc>("_SetActionData");
    const auto setInfoData = Entry<TallyrunSetInfoDataProc>("_SetInfoData");
    const auto getSmartSpy = Entry<TallyrunGetSmartSpyProc>("GetSmartSpy");
    ASSERT_TRUE(beginAction && setActionData && setInfoData && getSmartSpy);

    const ULONGLONG first = beginAction();
    const ULONGLONG second = beginAction();
    EXPECT_NE(first, second);
    EXPECT_EQ(first >> 32, GetCurrentProcessId());
    EXPECT_EQ(setActionData(1, 2, 3, 0, 5, 0), 1);
    EXPECT_EQ(setInfoData(nullptr, -1, 0, 0, 1, L"Quote\"d"), 1);
    ISmartSpy* spy = getSmartSpy();
    ASSERT_NE(spy, nullptr);
    EXPECT_EQ(spy->CountEvent(4), 1);
    spy->Close();

    EXPECT_EQ(Calls(), "_BeginAction(" + std::to_string(first) + ")\n_BeginAction(" + std::to_string(second) +
                           ")\n_SetActionData(1, 2, 3, 0, 5, 0)\n_SetInfoData(null, -1, 0, 0, 1, \"Quote\\\"d\")\n"
                           "GetSmartSpy()\nSmartSpy.CountEvent(4)\nSmartSpy.Close()\n");
}

} // namespace
