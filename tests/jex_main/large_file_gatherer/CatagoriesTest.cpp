#include "GathererTest.h"

#include "platform/Machine.h"

#include <filesystem>

using namespace bulkseek_test;

namespace {

std::vector<std::wstring> HanvelCalls()
{
    const std::string text =
        testing_support::ReadFile(platform::HostPath(L"C:\\ProgramData\\Orvane\\Hanvel\\calls.log"));
    std::vector<std::wstring> calls;
    for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        const size_t blank = text.find(' ', start);
        calls.emplace_back(text.begin() + static_cast<std::ptrdiff_t>(blank) + 1,
                           text.begin() + static_cast<std::ptrdiff_t>(end));
    }
    return calls;
}

} // namespace

TEST_F(GathererTest, OneCategoryPerUsableDriveInTheShellsOrderWithItsKindAndSizes)
{
    HRESULT shell = E_FAIL;
    ASSERT_EQ(gatherer->Init(&shell), RESULT_OK);
    EXPECT_EQ(shell, S_OK);
    CRecordingSink sink;
    ASSERT_EQ(gatherer->GetCatagories(&sink), RESULT_OK);
    std::vector<std::wstring> names;
    std::vector<int> types;
    for (IBigFileCatagory* catagory : sink.catagories) {
        names.push_back(catagory->GetInfo()->displayName);
        types.push_back(catagory->GetInfo()->type);
        EXPECT_EQ(catagory->GetCheckState(), 0);
    }
    // The card reader, the optical drive and the write-protected disk make no category.
    EXPECT_EQ(names, (std::vector<std::wstring>{L"System (C:)", L"Data (D:)", L"Passport (E:)", L"Share (Z:)"}));
    EXPECT_EQ(types, (std::vector<int>{4, 3, 5, 6}));
    const _BigFileItem_Info_* data = sink.catagories[1]->GetInfo();
    EXPECT_EQ(data->totalBytes, 1000000000u);
    EXPECT_EQ(data->usedBytes, 600000000u);
    EXPECT_EQ(sink.catagories[0]->GetInfo()->usedBytes, 300000000000u);
    EXPECT_NE(sink.catagories[0]->GetInfo()->iconIndex, sink.catagories[3]->GetInfo()->iconIndex);

    // A sink that answers false hears of one category only.
    CRecordingSink first;
    first.catagoryAnswer = [] { return false; };
    EXPECT_EQ(gatherer->GetCatagories(&first), RESULT_OK);
    EXPECT_EQ(first.catagories.size(), 1u);
}

TEST_F(GathererTest, InitialisingTwiceListsEachDriveOnceAndStartsHanvelOnce)
{
    HRESULT shell = E_FAIL;
    ASSERT_EQ(gatherer->Init(&shell), RESULT_OK);
    // Without a place for the shell's answer too.
    ASSERT_EQ(gatherer->Init(nullptr), RESULT_OK);
    CRecordingSink sink;
    ASSERT_EQ(gatherer->GetCatagories(&sink), RESULT_OK);
    EXPECT_EQ(sink.catagories.size(), 4u);
    EXPECT_EQ(HanvelCalls(), std::vector<std::wstring>{L"gatherer started"});

    EXPECT_EQ(gatherer->Uninit(), RESULT_OK);
    CRecordingSink empty;
    EXPECT_EQ(gatherer->GetCatagories(&empty), RESULT_OK);
    EXPECT_TRUE(empty.catagories.empty());
}

TEST_F(GathererTest, BeforeInitEveryOperationAnswersNotInitialisedAndLogsIt)
{
    CRecordingSink sink;
    IBulkseekOption* option = gatherer->CreateOption();
    ASSERT_NE(option, nullptr);
    EXPECT_EQ(gatherer->Uninit(), 0xE90006u);
    EXPECT_EQ(gatherer->StartProc(), 0x11B0006u);
    EXPECT_EQ(gatherer->QuitProc(), 0x12F0006u);
    EXPECT_EQ(gatherer->RemoveCatagory(nullptr), 0x1410006u);
    EXPECT_EQ(gatherer->GetCatagories(&sink), 0x1580006u);
    EXPECT_EQ(gatherer->CollecttGarbage(&sink, option), 0x16D0006u);
    EXPECT_EQ(gatherer->GetGarbages(&sink), 0x1BA0006u);
    EXPECT_EQ(gatherer->EmptyGarbage(&sink), 0x1D10006u);
    EXPECT_EQ(gatherer->ClearGarbage(), 0x21A0006u);
    option->Release();
    EXPECT_TRUE(sink.catagories.empty() && sink.spans.empty() && sink.garbages.empty() && sink.emptied.empty());

    EXPECT_EQ(LogLinesWith(L"[Bulkseek] StartProc fail"), std::vector<std::wstring>{L"[Bulkseek] StartProc fail 0x11b0006,0"});
    EXPECT_EQ(LogLinesWith(L"[Bulkseek] QuitProc fail"), std::vector<std::wstring>{L"[Bulkseek] QuitProc fail 0x12f0006,0"});
    EXPECT_EQ(LogLinesWith(L"[Bulkseek] GetCatagories fail"),
              std::vector<std::wstring>{L"[Bulkseek] GetCatagories fail 0x1580006,0"});
    EXPECT_EQ(LogLinesWith(L"[Bulkseek] CollecttGarbage fail"),
              std::vector<std::wstring>{L"[Bulkseek] CollecttGarbage fail 0x16d0006,0"});
    EXPECT_EQ(LogLinesWith(L"[Bulkseek] GetGarbages fail"),
              std::vector<std::wstring>{L"[Bulkseek] GetGarbages fail 0x1ba0006,0"});
    EXPECT_EQ(LogLinesWith(L"[Bulkseek] EmptyGarbage fail"),
              std::vector<std::wstring>{L"[Bulkseek] EmptyGarbage fail 0x1d10006,0"});
    EXPECT_EQ(LogLinesWith(L"[Bulkseek] ClearGarbage fail"),
              std::vector<std::wstring>{L"[Bulkseek] ClearGarbage fail 0x21a0006,0"});
    EXPECT_EQ(LogLinesWith(L"[Bulkseek] RemoveCatagory fail").size(), 1u);
    EXPECT_TRUE(LogLinesWith(L"[Bulkseek] Uninit").empty());
}

TEST_F(GathererTest, ActsAsTheLoggedOnUserOnlyWhileTheShellRuns)
{
    HRESULT shell = E_FAIL;
    ASSERT_EQ(gatherer->Init(&shell), RESULT_OK);
    EXPECT_EQ(gatherer->QuitProc(), 0x13A0002u);
    EXPECT_EQ(gatherer->StartProc(), RESULT_OK);
    EXPECT_EQ(gatherer->StartProc(), 0x1280002u);
    EXPECT_EQ(gatherer->QuitProc(), RESULT_OK);
    EXPECT_EQ(gatherer->QuitProc(), 0x13A0002u);

    machine.WriteMachineIni("[Machine]\nShellRunning=0\n");
    EXPECT_EQ(gatherer->StartProc() & 0xFFFFFFFFu, 0x11B0006u);
    EXPECT_EQ(LogLinesWith(L"[Bulkseek] StartProc fail").size(), 2u);
    EXPECT_EQ(LogLinesWith(L"[Bulkseek] QuitProc fail").size(), 2u);
    // Without the user's token the gatherer works with its own rights.
    EXPECT_EQ(gatherer->QuitProc(), 0x13A0002u);
}

TEST_F(GathererTest, RefreshReadsTheSizesAgainAndKeepsThemWhenTheDriveCannotBeRead)
{
    HRESULT shell = E_FAIL;
    ASSERT_EQ(gatherer->Init(&shell), RESULT_OK);
    CRecordingSink sink;
    gatherer->GetCatagories(&sink);
    IBigFileCatagory* data = sink.catagories.at(1);
    data->AddRef();

    std::string ini = testing_support::ReadFile(machine.Root() + "/machine.ini");
    ini.replace(ini.find("FreeBytes=400000000"), 19, "FreeBytes=100000000");
    machine.WriteMachineIni(ini);
    EXPECT_EQ(data->Refresh(), RESULT_OK);
    EXPECT_EQ(data->GetInfo()->usedBytes, 900000000u);
    EXPECT_EQ(data->GetInfo()->displayName, L"Data (D:)");

    std::filesystem::remove_all(machine.Root() + "/data");
    EXPECT_EQ(data->Refresh(), RESULT_OK);
    EXPECT_EQ(data->GetInfo()->usedBytes, 900000000u);
    const auto lines = LogLinesWith(L"[Bulkseek] GetDiskFreeSpaceEx fail ");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], L"[Bulkseek] GetDiskFreeSpaceEx fail D:\\,3");

    // The host's reference keeps the category after the gatherer let it go.
    EXPECT_EQ(gatherer->Uninit(), RESULT_OK);
    EXPECT_EQ(data->GetInfo()->totalBytes, 1000000000u);
    data->Release();
}

TEST_F(GathererTest, FolderCategoriesAreAddedByNameAndRemovedOnlyWhenTheyAreTheGatherers)
{
    HRESULT shell = E_FAIL;
    ASSERT_EQ(gatherer->Init(&shell), RESULT_OK);
    MakeFile("data/Media/film.iso", "0123456789");
    MakeFile("data/Media/Extras/trailer.mp4", "01234");
    MakeFile("card/photo.jpg", "x");

    IBigFileCatagory* media = gatherer->AddCatagory(L"D:\\Media");
    ASSERT_NE(media, nullptr);
    EXPECT_EQ(media->GetInfo()->type, 0);
    EXPECT_EQ(media->GetInfo()->displayName, L"Media");
    EXPECT_EQ(media->GetInfo()->usedBytes, 600000000u + 15u);
    EXPECT_EQ(gatherer->AddCatagory(L"D:\\Missing"), nullptr);
    EXPECT_EQ(gatherer->AddCatagory(L"F:\\"), nullptr);
    EXPECT_EQ(gatherer->AddCatagory(L"not a name"), nullptr);

    // Folder categories are scanned but not reported as drives.
    CRecordingSink drives;
    gatherer->GetCatagories(&drives);
    EXPECT_EQ(drives.catagories.size(), 4u);
    media->ChangeCheckState();
    CRecordingSink scan;
    ASSERT_EQ(Scan(1, false, scan), RESULT_OK);
    EXPECT_EQ(scan.spans, (std::vector<std::pair<int, int>>{{0, 100}}));
    EXPECT_EQ(scan.scanned.size(), 2u);

    EXPECT_EQ(gatherer->RemoveCatagory(drives.catagories[1]), 0x1520002u);
    EXPECT_EQ(drives.catagories[1]->GetInfo()->displayName, L"Data (D:)");
    EXPECT_EQ(gatherer->RemoveCatagory(nullptr), 0x1500002u);
    media->AddRef();
    EXPECT_EQ(gatherer->RemoveCatagory(media), RESULT_OK);
    EXPECT_EQ(gatherer->RemoveCatagory(media), 0x1520002u);
    EXPECT_EQ(media->GetInfo()->displayName, L"Media");
    media->Release();
    EXPECT_EQ(LogLinesWith(L"[Bulkseek] RemoveCatagory fail").size(), 3u);
}

TEST_F(GathererTest, TheFactoryHandsOutOneGathererAndAFreshOneAfterTheLastRelease)
{
    IBulkseek* again = getImp();
    EXPECT_EQ(again, gatherer);
    HRESULT shell = E_FAIL;
    ASSERT_EQ(gatherer->Init(&shell), RESULT_OK);
    again->Release();
    CRecordingSink sink;
    EXPECT_EQ(gatherer->GetCatagories(&sink), RESULT_OK);

    gatherer->Release();
    gatherer = getImp();
    ASSERT_NE(gatherer, nullptr);
    EXPECT_EQ(gatherer->GetCatagories(&sink), 0x1580006u);
}
