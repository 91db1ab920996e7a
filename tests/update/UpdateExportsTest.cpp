// The Update library as the main program binds it: by name, through its two factories.
#include "common/KeptForProcess.h"
#include "platform/Machine.h"
#include "support/TempMachine.h"
#include "update/IUnzipFile.h"
#include "update/IUpdateFixt.h"

#include <gtest/gtest.h>

namespace {

template <class Function>
Function Bind(HMODULE module, const char* name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

TEST(UpdateExportsTest, EachCallOfAFactoryMakesANewObject)
{
    platform::SetProgramFolder(testing_support::BuildProgramFolder());
    const HMODULE update = LoadLibraryW(L"Update.dll");
    ASSERT_NE(nullptr, update);
    const auto buildUpdateObj = Bind<IUpdateFixt* (*)()>(update, "BuildUpdateObj");
    const auto createUnzipFile = Bind<IUnzipFile* (*)()>(update, "CreateUnzipFile");
    ASSERT_NE(nullptr, buildUpdateObj);
    ASSERT_NE(nullptr, createUnzipFile);

    IUpdateFixt* first = buildUpdateObj();
    IUpdateFixt* second = buildUpdateObj();
    // Update fetchers have no release: their maker keeps them.
    KeptForProcess(first);
    KeptForProcess(second);
    ASSERT_NE(nullptr, first);
    EXPECT_NE(first, second);
    EXPECT_EQ(RESULT_OK, first->ValidateArgs(nullptr, nullptr));
    EXPECT_EQ(0x6A0001u, static_cast<uint32_t>(first->ReadUpdateInfo(L"x.ini", nullptr)));

    IUnzipFile* unzip = createUnzipFile();
    IUnzipFile* other = createUnzipFile();
    ASSERT_NE(nullptr, unzip);
    EXPECT_NE(unzip, other);
    EXPECT_EQ(0x290001u, static_cast<uint32_t>(unzip->Open(nullptr)));
    IFileEntry* entry = nullptr;
    EXPECT_EQ(0x600001u, static_cast<uint32_t>(unzip->GetEntry(-1, &entry)));
    unzip->Release();
    other->Release();
}

} // namespace
