// The memory gatherer loaded by name: a working, reference-counted object whose operations succeed.
#include "jex_main/memory_gatherer/IRamtallyProc.h"
#include "platform/Text.h"
#include "platform/Windows.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

namespace {

typedef IRamtallyProc* (*GetImpExport)();

TEST(Ramtally, OneObjectPerProcessWhoseOperationsAllSucceed)
{
    const HMODULE module =
        LoadLibraryW(testing_support::InstallFromBuild(testing_support::BuildProgramFolder() + "/Ramtally.so").c_str());
    ASSERT_NE(module, nullptr);
    const auto getImp = reinterpret_cast<GetImpExport>(reinterpret_cast<void (*)()>(GetProcAddress(module, "GetImp")));
    ASSERT_NE(getImp, nullptr);

    IRamtallyProc* first = getImp();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->Gather(), 0u);
    EXPECT_EQ(first->Init(), 0u);
    EXPECT_EQ(first->Gather(), 0u);
    EXPECT_EQ(first->Uninit(), 0u);

    IRamtallyProc* second = getImp();
    EXPECT_EQ(second, first);
    EXPECT_EQ(first->AddRef(), 3);
    EXPECT_EQ(first->Release(), 2);
    second->Release();
    first->Release();

    IRamtallyProc* fresh = getImp();
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(fresh->AddRef(), 2);
    fresh->Release();
    fresh->Release();
}

} // namespace
