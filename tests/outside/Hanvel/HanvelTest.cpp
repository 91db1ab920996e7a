#include "outside/Hanvel/Hanvel.h"

#include "platform/Machine.h"
#include "platform/Windows.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <string>

using testing_support::TempMachine;

TEST(Hanvel, LoadsByNameHandsOutOneObjectAndRecordsWhatItIsTold)
{
    TempMachine machine;
    platform::SetProgramFolder(testing_support::BuildProgramFolder());
    HMODULE module = LoadLibraryW(L"Hanvel.dll");
    ASSERT_NE(module, nullptr);
    const auto getImp = reinterpret_cast<IHanvel* (*)()>(reinterpret_cast<void (*)()>(GetProcAddress(module, "GetImp")));
    ASSERT_NE(getImp, nullptr);
    IHanvel* hanvel = getImp();
    ASSERT_NE(hanvel, nullptr);
    EXPECT_EQ(getImp(), hanvel);

    EXPECT_EQ(hanvel->OnGathererStarted(), 0);
    EXPECT_EQ(hanvel->OnDeletionStarting(), 0);
    const std::string calls =
        testing_support::ReadFile(platform::HostPath(L"C:\\ProgramData\\Orvane\\Hanvel\\calls.log"));
    const size_t started = calls.find(" gatherer started\n");
    const size_t deleting = calls.find(" deletion starting\n");
    ASSERT_NE(started, std::string::npos) << calls;
    ASSERT_NE(deleting, std::string::npos) << calls;
    EXPECT_LT(started, deleting);
}
