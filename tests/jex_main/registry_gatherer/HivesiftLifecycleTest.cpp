// The gatherer's operations other than the scan: the factory, Init and the rule file's checks,
// the display-text table, result codes and log lines, and the shipped sample rule set.
#include "HivesiftHost.h"

#include "platform/Machine.h"
#include "platform/Text.h"
#include "platform/Windows.h"

#include <filesystem>

namespace {

const char kTwoCatagories[] =
    "<RegGarbageCatagory Name=\"First\" ResID=\"ID_FIRST\">"
    "  <RegGarbageInfo RegRoot=\"2\" RegItem=\"Software\\Test\"/>"
    "</RegGarbageCatagory>"
    "<SomethingElse Name=\"ignored\"/>"
    "<regGARBAGEcatagory Name=\"Second\" ResID=\"ID_SECOND\"/>";

using HivesiftLifecycleTest = HivesiftHost;

TEST_F(HivesiftLifecycleTest, GetImpHandsOutOneGathererPerProcessAndAFreshOneAfterTheLastRelease)
{
    const GetImpFn getImp = BindGetImp();
    IHivesift* again = getImp();
    EXPECT_EQ(gatherer_, again);
    EXPECT_EQ(0, again->GetCheckState()) << "the gatherer's own check flag is unused and 0";
    EXPECT_EQ(1, again->Release()) << "one reference left, the fixture's";

    gatherer_->Release();
    gatherer_ = getImp();
    ASSERT_NE(nullptr, gatherer_);
    EXPECT_EQ(static_cast<OpResult>(0x330006), gatherer_->Uninit()) << "a new gatherer, not initialised";
    EXPECT_EQ(2, gatherer_->AddRef());
    EXPECT_EQ(1, gatherer_->Release());
}

TEST_F(HivesiftLifecycleTest, InitReadsCatagoriesInFileOrderWithElementNamesIgnoringCase)
{
    const std::wstring texts = WriteTexts("<ID_SECOND>Second from table</ID_SECOND>");
    ASSERT_EQ(RESULT_OK, gatherer_->Init(WriteRules(kTwoCatagories), texts));
    EXPECT_EQ((std::vector<std::wstring>{L"First", L"Second from table"}), CatagoryNames());

    CRecordingSink sink;
    ASSERT_EQ(RESULT_OK, gatherer_->GetCatagories(&sink));
    for (IRegGarbageCatagory* catagory : sink.catagories)
        EXPECT_EQ(1, catagory->GetCheckState()) << "categories start checked";
}

TEST_F(HivesiftLifecycleTest, InitReadsUtf8Names)
{
    ASSERT_EQ(RESULT_OK, gatherer_->Init(WriteRules("<RegGarbageCatagory Name=\"Gr\xC3\xBC\xC3\x9F" "e\"/>"),
                                         WriteTexts("")));
    EXPECT_EQ(std::vector<std::wstring>{L"Gr\u00FC\u00DFe"}, CatagoryNames());
}

TEST_F(HivesiftLifecycleTest, RuleFileThatCannotBeLoadedOrParsedFailsInit)
{
    EXPECT_EQ(static_cast<OpResult>(0x240006), gatherer_->Init(L"C:\\Rules\\missing.xml", WriteTexts("")));
    EXPECT_TRUE(Logged(L"[Hivesift] Init fail 2"));

    EXPECT_EQ(static_cast<OpResult>(0x240006),
              gatherer_->Init(WriteMachineFile("drive_c/Rules/broken.xml", "<Rules><RegGarbageCatagory Name=\"x\">"),
                              WriteTexts("")));
    CRecordingSink sink;
    EXPECT_EQ(static_cast<OpResult>(0x650006), gatherer_->GetCatagories(&sink));
    EXPECT_EQ(static_cast<OpResult>(0x330006), gatherer_->Uninit());

    // A rule file far larger than any is a damaged one: refused by its size, never read into memory.
    const std::wstring huge = WriteRules(kTwoCatagories, "huge.xml");
    std::filesystem::resize_file(platform::HostPath(huge), 1ULL << 40);
    EXPECT_EQ(static_cast<OpResult>(0x240006), gatherer_->Init(huge, WriteTexts("")));
    EXPECT_TRUE(Logged(L"[Hivesift] Init fail 223"));
}

TEST_F(HivesiftLifecycleTest, RootWithoutCatagoriesFailsInit)
{
    EXPECT_EQ(static_cast<OpResult>(0x240006), gatherer_->Init(WriteRules("<Other/>"), WriteTexts("")));
    CRecordingSink sink;
    EXPECT_EQ(static_cast<OpResult>(0x650006), gatherer_->GetCatagories(&sink));
    EXPECT_TRUE(sink.catagories.empty());
}

TEST_F(HivesiftLifecycleTest, CatagoryWithoutNameOrKeyOrPatternEndsTheWalkAndNothingOfItIsKept)
{
    const std::string body = std::string(kTwoCatagories) +
                             "<RegGarbageCatagory ResID=\"ID_BAD\"><RegGarbageInfo ProcType=\"1\"/></RegGarbageCatagory>"
                             "<RegGarbageCatagory Name=\"After\"/>";
    EXPECT_EQ(static_cast<OpResult>(0x240006), gatherer_->Init(WriteRules(body), WriteTexts("")));
    CRecordingSink sink;
    EXPECT_EQ(static_cast<OpResult>(0x650006), gatherer_->GetCatagories(&sink));

    // A retried Init starts from nothing: no category of the failed one is listed twice.
    ASSERT_EQ(RESULT_OK, gatherer_->Init(WriteRules(kTwoCatagories, "good.xml"), WriteTexts("")));
    EXPECT_EQ((std::vector<std::wstring>{L"First", L"Second"}), CatagoryNames());
    ASSERT_EQ(RESULT_OK, gatherer_->Init(WriteRules(kTwoCatagories, "good.xml"), WriteTexts("")));
    EXPECT_EQ((std::vector<std::wstring>{L"First", L"Second"}), CatagoryNames());
}

TEST_F(HivesiftLifecycleTest, CatagoryWithOnlyAKeyOrOnlyAPatternIsValid)
{
    const std::string body = "<RegGarbageCatagory><RegGarbageInfo RegItem=\"\"/></RegGarbageCatagory>"
                             "<RegGarbageCatagory><RegGarbageInfo RegExpStr=\"x\"/></RegGarbageCatagory>";
    ASSERT_EQ(RESULT_OK, gatherer_->Init(WriteRules(body), WriteTexts("")));
    EXPECT_EQ((std::vector<std::wstring>{L"", L""}), CatagoryNames());
}

TEST_F(HivesiftLifecycleTest, ChangeResIdTakesNamesFromTheTableAndKeepsThoseItLacks)
{
    ASSERT_EQ(RESULT_OK, gatherer_->Init(WriteRules(kTwoCatagories), WriteTexts("<ID_FIRST>Erste</ID_FIRST>")));
    EXPECT_EQ((std::vector<std::wstring>{L"Erste", L"Second"}), CatagoryNames());

    EXPECT_EQ(RESULT_OK, gatherer_->ChangeResId(WriteTexts("<ID_SECOND>Zweite</ID_SECOND><id_first>case</id_first>"
                                                           "<ID_FIRST></ID_FIRST>",
                                                           "other.xml")));
    EXPECT_EQ((std::vector<std::wstring>{L"Erste", L"Zweite"}), CatagoryNames())
        << "ResIDs match exactly, and an element without text changes nothing";

    const std::wstring noTable = WriteMachineFile("drive_c/Rules/notable.xml", "<Texts><ID_FIRST>x</ID_FIRST></Texts>");
    EXPECT_EQ(RESULT_OK, gatherer_->ChangeResId(noTable));
    EXPECT_EQ((std::vector<std::wstring>{L"Erste", L"Zweite"}), CatagoryNames());
}

TEST_F(HivesiftLifecycleTest, ChangeResIdWithAFileThatCannotBeLoadedFailsAndLogs)
{
    ASSERT_EQ(RESULT_OK, gatherer_->Init(WriteRules(kTwoCatagories), L"C:\\Rules\\none.xml"))
        << "the text table's result does not count for Init";
    EXPECT_EQ(static_cast<OpResult>(0x3D0006), gatherer_->ChangeResId(L"C:\\Rules\\none.xml"));
    EXPECT_TRUE(Logged(L"[Hivesift] ChangeResId fail 0x3d0006 0"));
    EXPECT_EQ((std::vector<std::wstring>{L"First", L"Second"}), CatagoryNames());
}

TEST_F(HivesiftLifecycleTest, OperationsBeforeInitOrWithoutASinkFailWithTheirCodes)
{
    CRecordingSink sink;
    EXPECT_EQ(static_cast<OpResult>(0x650006), gatherer_->GetCatagories(&sink));
    EXPECT_EQ(static_cast<OpResult>(0x790006), gatherer_->GetGarbages(&sink));
    EXPECT_EQ(static_cast<OpResult>(0x330006), gatherer_->Uninit());
    EXPECT_FALSE(gatherer_->CollectGarbage(nullptr));
    EXPECT_TRUE(Logged(L"[Hivesift] GetCatagories fail! 0x650006"));
    EXPECT_TRUE(Logged(L"[Hivesift] GetGarbages fail! 0x790006"));

    InitWithRules(kTwoCatagories);
    EXPECT_EQ(static_cast<OpResult>(0x720002), gatherer_->GetCatagories(nullptr));
    EXPECT_EQ(static_cast<OpResult>(0x860002), gatherer_->GetGarbages(nullptr));
    EXPECT_TRUE(Logged(L"[Hivesift] GetCatagories fail! 0x720002"));
    EXPECT_TRUE(Logged(L"[Hivesift] GetGarbages fail! 0x860002"));

    EXPECT_EQ(RESULT_OK, gatherer_->Uninit());
    EXPECT_EQ(static_cast<OpResult>(0x330006), gatherer_->Uninit());
}

TEST_F(HivesiftLifecycleTest, ObjectsASinkKeepsOutliveUninit)
{
    Seed(L"[HKEY_CURRENT_USER\\Software\\Test\\Empty]\n");
    InitWithRules(kTwoCatagories);
    ASSERT_FALSE(gatherer_->CollectGarbage(nullptr));
    CRecordingSink sink;
    ASSERT_EQ(RESULT_OK, gatherer_->GetGarbages(&sink));
    ASSERT_EQ(1u, sink.garbages.size());
    ASSERT_EQ(RESULT_OK, gatherer_->Uninit());

    IRegGarbageInfo* kept = sink.garbages.front();
    EXPECT_EQ(L"Software\\Test\\Empty", kept->GetInfo()->keyPath);
    EXPECT_EQ(L"First", kept->GetCatagory()->GetInfo()->displayName) << "an item holds its category";
}

TEST_F(HivesiftLifecycleTest, EmptyGarbageChangesNothing)
{
    Seed(L"[HKEY_CURRENT_USER\\Software\\Test\\Empty]\n[HKEY_CURRENT_USER\\Software\\Test\\Other]\n");
    InitWithRules(kTwoCatagories);
    const std::vector<FoundItem_> found = Collect();
    ASSERT_EQ(2u, found.size());

    EXPECT_FALSE(gatherer_->EmptyGarbage(nullptr));
    for (const FoundItem_& item : found) {
        HKEY key = nullptr;
        EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, item.keyPath.c_str(), 0, KEY_READ, &key))
            << "still in the registry: " << platform::ToUtf8(item.keyPath);
        RegCloseKey(key);
    }
    EXPECT_EQ(found, Garbages()) << "the found items stay listed";
}

TEST_F(HivesiftLifecycleTest, ShippedSampleRuleSetLoadsFromTheProgramFolderAndFindsJunk)
{
    const std::wstring folder = platform::WindowsPath(testing_support::BuildProgramFolder());
    const std::wstring classId = L"{12345678-1234-1234-1234-123456789ABC}";
    MakeFile(L"C:\\Present\\kept.dll");
    Seed(L"[HKEY_CURRENT_USER\\Software\\Abandoned]\n"
         L"[HKEY_CURRENT_USER\\Software\\InUse]\n\"Setting\"=\"1\"\n"
         L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs]\n"
         L"\"C:\\\\Present\\\\kept.dll\"=dword:00000001\n\"C:\\\\Gone\\\\lost.dll\"=dword:00000001\n"
         L"[HKEY_CLASSES_ROOT\\CLSID\\" + classId + L"\\InprocServer32]\n@=\"C:\\\\Gone\\\\server.dll\"\n");
    ASSERT_EQ(RESULT_OK, gatherer_->Init(folder + L"\\Config.xml", folder + L"\\ResIDText.xml"));
    EXPECT_EQ((std::vector<std::wstring>{L"Empty software keys", L"Missing shared files", L"Invalid COM classes"}),
              CatagoryNames());

    const std::vector<FoundItem_> found = Collect();
    const std::vector<FoundItem_> expected = {
        {L"Abandoned", L"Software\\Abandoned", 1, L"Empty software keys"},
        {L"C:\\Gone\\lost.dll", L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs", 2, L"Missing shared files"},
        {L"C:\\Gone\\server.dll", L"CLSID\\" + classId, 2, L"Invalid COM classes"},
    };
    for (const FoundItem_& item : expected)
        EXPECT_NE(found.end(), std::find(found.begin(), found.end(), item)) << testing::PrintToString(item);
}

} // namespace
