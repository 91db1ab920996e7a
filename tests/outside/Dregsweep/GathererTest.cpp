// Dregsweep.so driven as the clean-up pages drive it: loaded by name from the program folder and
// bound through GetImp, on a machine with junk planted where the tests' rules look.
#include "JunkMachine.h"

#include "platform/Machine.h"
#include "platform/Windows.h"

#include <fcntl.h>
#include <filesystem>
#include <future>
#include <linux/fs.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace dregsweep_test {

namespace {

const std::wstring kOwnerTemp = L"C:\\Users\\Owner\\AppData\\Local\\Temp";
const std::wstring kOwnerData = L"C:\\Users\\Owner\\AppData\\Local\\Browser\\User Data";

class GathererTest : public JunkMachine {
protected:
    void SetUp() override
    {
        JunkMachine::SetUp();
        platform::SetProgramFolder(testing_support::BuildProgramFolder());
        HMODULE module = LoadLibraryW(L"Dregsweep.dll");
        ASSERT_NE(module, nullptr);
        auto getImp = reinterpret_cast<IDregsweep* (*)()>(reinterpret_cast<void (*)()>(GetProcAddress(module, "GetImp")));
        ASSERT_NE(getImp, nullptr);
        gatherer = getImp();
        ASSERT_NE(gatherer, nullptr);
    }

    void TearDown() override
    {
        if (gatherer) {
            gatherer->Uninit();
            gatherer->Release();
        }
    }

    void InitAndAnalyse(CRecordingSink& sink)
    {
        ASSERT_EQ(RESULT_OK, gatherer->Init(RulePath().c_str(), TextPath().c_str()));
        ASSERT_EQ(RESULT_OK, gatherer->CollectGarbage(&sink));
    }

    IDregsweep* gatherer = nullptr;
};

uint16_t KindOf(OpResult result) { return static_cast<uint16_t>(result & 0x3FFF); }

TEST_F(GathererTest, AnalysisFindsTheLoggedOnUsersAndTheMachinesJunkInThreeLevelsOfCategories)
{
    PlantJunk();
    CRecordingSink sink;
    InitAndAnalyse(sink);

    const auto tops = TopCatagories(gatherer);
    ASSERT_EQ(2u, tops.size());
    EXPECT_EQ(2, gatherer->GetCatagoryCount());
    EXPECT_EQ(L"System junk", tops[0]->GetName()->name);  // from the text table
    EXPECT_EQ(0, tops[0]->GetName()->kind);
    EXPECT_EQ(L"icon_system.png", tops[0]->GetName()->icon);
    EXPECT_EQ(L"Browsers", tops[1]->GetName()->name);  // no text: the rule file's name
    EXPECT_EQ(1, tops[1]->GetName()->kind);
    const auto browsers = Children(tops[1]);
    ASSERT_EQ(1u, browsers.size());
    EXPECT_EQ(L"icon_Chrome.png", browsers[0]->GetName()->icon);
    EXPECT_EQ(1, browsers[0]->GetName()->kind);
    EXPECT_NE(0, browsers[0]->IsShown());
    EXPECT_EQ(tops[1], browsers[0]->GetParent());

    EXPECT_EQ(kPlantedSize, gatherer->GetTotalSize());
    EXPECT_EQ(kPlantedSize, gatherer->GetCheckedSize());
    EXPECT_EQ(kPlantedFiles, gatherer->GetFileCount());
    EXPECT_EQ(2, tops[0]->GetState());
    EXPECT_EQ(2, gatherer->GetState());

    // Another user's temporary files and browser cache are that user's own to clear.
    using Files = std::vector<std::pair<std::wstring, uint64_t>>;
    EXPECT_EQ((Files{{kOwnerTemp + L"\\old1.tmp", 100}, {kOwnerTemp + L"\\sub\\old2.tmp", 200}}),
              FilesBelow(TypeNamed(gatherer, L"System junk", L"Temporary files")));
    EXPECT_EQ((Files{{kOwnerData + L"\\Default\\Cache\\f1", 400},
                     {kOwnerData + L"\\Profile 1\\Cache\\data\\f2", 500}}),
              FilesBelow(tops[1]));
    EXPECT_EQ((Files{{L"C:\\Windows\\Logs\\x.log", 10}}), FilesBelow(TypeNamed(gatherer, L"System junk", L"Logs")));

    // Found junk is reported per item, under the junk type whose row the page keeps.
    uint64_t reported = 0;
    for (const auto& report : sink.found) {
        EXPECT_EQ(report.category, TypeNamed(gatherer, report.category->GetParent()->GetParent()->GetName()->name,
                                             report.category->GetName()->name));
        reported += report.size;
    }
    EXPECT_EQ(kPlantedSize, reported);
    ASSERT_FALSE(sink.percents.empty());
    EXPECT_EQ(100, sink.percents.back());
    EXPECT_TRUE(std::is_sorted(sink.percents.begin(), sink.percents.end()));
}

TEST_F(GathererTest, EveryAnalysisStartsFromNothingAndResetForgetsIt)
{
    PlantJunk();
    CRecordingSink sink;
    InitAndAnalyse(sink);
    const auto before = FilesBelow(TopCatagories(gatherer)[0]);
    ASSERT_EQ(RESULT_OK, gatherer->CollectGarbage(&sink));
    ASSERT_EQ(RESULT_OK, gatherer->CollectGarbage(&sink));
    EXPECT_EQ(kPlantedSize, gatherer->GetTotalSize());
    EXPECT_EQ(kPlantedFiles, gatherer->GetFileCount());
    EXPECT_EQ(before, FilesBelow(TopCatagories(gatherer)[0]));

    gatherer->Reset();
    EXPECT_EQ(0u, gatherer->GetTotalSize());
    EXPECT_EQ(0u, gatherer->GetFileCount());
    EXPECT_EQ(0, TopCatagories(gatherer)[0]->GetState());
    EXPECT_TRUE(FilesBelow(TopCatagories(gatherer)[0]).empty());
    EXPECT_EQ(2, gatherer->GetCatagoryCount());  // the tree stays
}

TEST_F(GathererTest, ChecksFollowTheTreeAndOnlyCheckedJunkCounts)
{
    PlantJunk();
    CRecordingSink sink;
    InitAndAnalyse(sink);
    IDregsweepCatagory* logs = TypeNamed(gatherer, L"System junk", L"Logs");
    IDregsweepCatagory* system = TopCatagories(gatherer)[0];
    logs->ToggleCheck();
    EXPECT_EQ(0, logs->GetCheckState());
    EXPECT_EQ(1, system->GetCheckState());
    EXPECT_EQ(kPlantedSize - 10, gatherer->GetCheckedSize());
    EXPECT_EQ(kPlantedSize, gatherer->GetTotalSize());
    system->ToggleCheck();  // partly checked becomes checked
    EXPECT_EQ(2, logs->GetCheckState());
    system->ToggleCheck();
    EXPECT_EQ(0, system->GetCheckState());
    EXPECT_EQ(900u, gatherer->GetCheckedSize());
}

TEST_F(GathererTest, CleanUpRemovesExactlyTheCheckedJunkThatIsStillTheSameFile)
{
    PlantJunk();
    CRecordingSink sink;
    InitAndAnalyse(sink);
    TypeNamed(gatherer, L"System junk", L"Logs")->ToggleCheck();
    // After the analysis: one file replaced, one held open without leave to delete it.
    const std::string owner = "Users/Owner/AppData/Local/";
    std::filesystem::remove(HostPath(owner + "Temp/old1.tmp"));
    Plant(owner + "Temp/old1.tmp", 100);
    HANDLE held = CreateFileW((kOwnerData + L"\\Default\\Cache\\f1").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);

    ASSERT_EQ(RESULT_OK, gatherer->EmptyGarbage(&sink));
    CloseHandle(held);

    EXPECT_FALSE(Exists(owner + "Temp/sub/old2.tmp"));
    EXPECT_FALSE(Exists(owner + "Temp/sub"));  // emptied by the clean-up
    EXPECT_FALSE(Exists(owner + "Browser/User Data/Profile 1/Cache/data"));
    // The rule's own folders, younger files, unchecked junk, links, their targets and the rest stay.
    EXPECT_TRUE(Exists(owner + "Browser/User Data/Default/Cache"));
    EXPECT_TRUE(Exists(owner + "Browser/User Data/Profile 1/Preferences"));
    EXPECT_TRUE(Exists(owner + "Temp/new.tmp"));
    EXPECT_TRUE(Exists(owner + "Temp/old1.tmp"));
    EXPECT_TRUE(Exists(owner + "Browser/User Data/Default/Cache/f1"));
    EXPECT_TRUE(Exists("Windows/Logs/x.log"));
    EXPECT_TRUE(Exists(owner + "Temp/link.tmp"));
    EXPECT_TRUE(Exists(owner + "Temp/linkdir"));
    EXPECT_TRUE(Exists("outside/keep.txt"));
    EXPECT_TRUE(Exists("Users/Public/AppData/Local/Temp/p.tmp"));
    EXPECT_TRUE(Exists("Users/Alice/AppData/Local/Temp/a.tmp"));
    EXPECT_TRUE(Exists("Users/Alice/AppData/Local/Browser/User Data/Default/Cache/f3"));

    // Removed bytes leave the totals; what stays is still counted and shown as left.
    EXPECT_EQ(100u + 400 + 10, gatherer->GetTotalSize());
    EXPECT_EQ(3u, gatherer->GetFileCount());
    uint64_t cleaned = 0;
    for (const auto& report : sink.cleaned)
        cleaned += report.size;
    EXPECT_EQ(200u + 500, cleaned);
    const auto tops = TopCatagories(gatherer);
    EXPECT_EQ(3, tops[0]->GetState());
    EXPECT_EQ(3, tops[1]->GetState());

    // Once nothing holds it, the same file goes; the replaced one never does.
    ASSERT_EQ(RESULT_OK, gatherer->EmptyGarbage(&sink));
    EXPECT_FALSE(Exists(owner + "Browser/User Data/Default/Cache/f1"));
    EXPECT_EQ(5, tops[1]->GetState());
    EXPECT_TRUE(Exists(owner + "Temp/old1.tmp"));
    EXPECT_TRUE(Exists(owner + "Temp"));
}

TEST_F(GathererTest, CleanUpNeverFollowsAFolderReplacedByALink)
{
    PlantJunk();
    Plant("outside/sub/old2.tmp", 200);
    CRecordingSink sink;
    InitAndAnalyse(sink);
    const std::string temp = HostPath("Users/Owner/AppData/Local/Temp");
    std::filesystem::remove_all(temp + "/sub");
    std::filesystem::create_directory_symlink(HostPath("outside/sub"), temp + "/sub");

    ASSERT_EQ(RESULT_OK, gatherer->EmptyGarbage(&sink));
    EXPECT_TRUE(Exists("outside/sub/old2.tmp"));
    EXPECT_TRUE(Exists("Users/Owner/AppData/Local/Temp/sub"));
}

TEST_F(GathererTest, OnlyFoldersTheCleanUpEmptiedGo)
{
    PlantJunk();
    // Made just before the analysis: too young to be junk, and never shown as such.
    std::filesystem::create_directories(HostPath("Users/Owner/AppData/Local/Temp/fresh/inner"));
    CRecordingSink sink;
    InitAndAnalyse(sink);
    ASSERT_EQ(RESULT_OK, gatherer->EmptyGarbage(&sink));
    EXPECT_TRUE(Exists("Users/Owner/AppData/Local/Temp/fresh/inner"));
    EXPECT_FALSE(Exists("Users/Owner/AppData/Local/Temp/sub"));
}

TEST_F(GathererTest, AProcessSwappingJunkFoldersForLinksToTheDocumentsLosesNoDocumentAndTheCountsAreTrue)
{
    // Junk and documents of the same names and sizes in several folders; another process keeps
    // swapping each junk folder for a link to its documents in turn while the clean-up runs.
    constexpr int kFolders = 16;
    constexpr int kFiles = 800;
    const std::string junk = "Users/Owner/AppData/Local/Temp/swap";
    const std::string documents = "Users/Owner/Documents/";
    const auto sizeOf = [](int i) { return static_cast<size_t>(1 + i % 97); };
    const auto name = [](int folder, int i) { return std::to_string(folder) + "/f" + std::to_string(i); };
    std::vector<std::string> swapped;
    std::vector<std::string> aside;
    for (int folder = 0; folder < kFolders; ++folder) {
        for (int i = 0; i < kFiles; ++i) {
            Plant(junk + name(folder, i), sizeOf(i));
            Plant(documents + name(folder, i), sizeOf(i));
        }
        swapped.push_back(HostPath(junk + std::to_string(folder)));
        aside.push_back(HostPath("aside" + std::to_string(folder)));
        std::filesystem::create_directory_symlink(HostPath(documents + std::to_string(folder)), aside.back());
    }
    CRecordingSink sink;
    InitAndAnalyse(sink);
    ASSERT_EQ(static_cast<uint64_t>(kFolders * kFiles), gatherer->GetFileCount());
    // The swapping process ends with the scope, however the test leaves it.
    struct Swapper {
        pid_t pid = -1;
        int started[2] = {-1, -1};
        ~Swapper()
        {
            if (pid > 0) {
                kill(pid, SIGKILL);
                waitpid(pid, nullptr, 0);
            }
            close(started[0]);
            close(started[1]);
        }
    } swapper;
    ASSERT_EQ(0, pipe(swapper.started));
    swapper.pid = fork();
    ASSERT_GE(swapper.pid, 0);
    if (swapper.pid == 0) {
        for (bool told = false;; told = true) {
            for (int folder = 0; folder < kFolders; ++folder)
                syscall(SYS_renameat2, AT_FDCWD, swapped[folder].c_str(), AT_FDCWD, aside[folder].c_str(), RENAME_EXCHANGE);
            if (!told && write(swapper.started[1], "s", 1) != 1)
                _exit(1);
        }
    }
    char byte = 0;
    ASSERT_EQ(1, read(swapper.started[0], &byte, 1));
    ASSERT_EQ(RESULT_OK, gatherer->EmptyGarbage(&sink));
    kill(swapper.pid, SIGKILL);
    waitpid(swapper.pid, nullptr, 0);
    swapper.pid = -1;

    uint64_t allSize = 0;
    uint64_t leftFiles = 0;
    uint64_t leftSize = 0;
    for (int folder = 0; folder < kFolders; ++folder) {
        const std::string real = std::filesystem::is_symlink(swapped[folder]) ? aside[folder] : swapped[folder];
        for (int i = 0; i < kFiles; ++i) {
            ASSERT_EQ(std::string(sizeOf(i), 'j'), testing_support::ReadFile(HostPath(documents + name(folder, i))))
                << name(folder, i);
            allSize += sizeOf(i);
            if (std::filesystem::exists(real + "/f" + std::to_string(i))) {
                ++leftFiles;
                leftSize += sizeOf(i);
            }
        }
    }
    uint64_t cleaned = 0;
    for (const auto& report : sink.cleaned)
        cleaned += report.size;
    EXPECT_EQ(allSize - leftSize, cleaned);
    EXPECT_EQ(leftFiles, gatherer->GetFileCount());
    EXPECT_EQ(leftSize, gatherer->GetTotalSize());
}

TEST_F(GathererTest, AWideTreeIsListedBySeveralThreadsEachFileOnceAndStopsWhenAsked)
{
    // 60 folders of 50 files, two levels deep, for the listing threads to share; and more files in
    // the rule's own folder, which the calling thread lists before any other thread starts, than
    // the walk lists between two questions: it asks there, however the threads would be scheduled.
    const std::string temp = "Users/Owner/AppData/Local/Temp/";
    for (int folder = 0; folder < 60; ++folder)
        for (int file = 0; file < 50; ++file)
            Plant(temp + "wide/" + std::to_string(folder % 6) + "/" + std::to_string(folder) + "/f" +
                      std::to_string(file),
                  1);
    for (int file = 0; file < 2100; ++file)
        Plant(temp + "top" + std::to_string(file), 1);
    CRecordingSink sink;
    InitAndAnalyse(sink);
    const auto files = FilesBelow(TypeNamed(gatherer, L"System junk", L"Temporary files"));
    EXPECT_EQ(5100u, files.size());
    EXPECT_EQ(files.end(), std::adjacent_find(files.begin(), files.end()));
    EXPECT_EQ(5100u, gatherer->GetTotalSize());

    CRecordingSink stopping;
    stopping.progressAnswer = [&stopping] { return stopping.percents.size() < 2; };
    EXPECT_EQ(RESULT_CANCELLED, KindOf(gatherer->CollectGarbage(&stopping)));
    EXPECT_LE(gatherer->GetFileCount(), 2100u) << "stopped only once the folders below were listed";

    ASSERT_EQ(RESULT_OK, gatherer->CollectGarbage(&sink));
    ASSERT_EQ(RESULT_OK, gatherer->EmptyGarbage(&sink));
    EXPECT_EQ(0u, gatherer->GetFileCount());
    EXPECT_FALSE(Exists("Users/Owner/AppData/Local/Temp/wide"));
    EXPECT_TRUE(Exists("Users/Owner/AppData/Local/Temp"));
}

TEST_F(GathererTest, ASecondOperationIsRefusedWhileOneRunsAndGettersStillAnswer)
{
    PlantJunk();
    ASSERT_EQ(RESULT_OK, gatherer->Init(RulePath().c_str(), TextPath().c_str()));
    CRecordingSink first;
    ASSERT_EQ(RESULT_OK, gatherer->CollectGarbage(&first));
    IDregsweepCatagory* temp = TypeNamed(gatherer, L"System junk", L"Temporary files");

    std::promise<void> inside;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    bool signalled = false;
    CRecordingSink blocking;
    blocking.foundAnswer = [&] {
        if (!signalled) {
            signalled = true;
            inside.set_value();
            released.wait();
        }
        return true;
    };
    std::thread worker([&] { EXPECT_EQ(RESULT_OK, gatherer->CollectGarbage(&blocking)); });
    inside.get_future().wait();

    CRecordingSink second;
    EXPECT_TRUE(gatherer->IsBusy());
    EXPECT_EQ(RESULT_NOT_QUEUED, KindOf(gatherer->CollectGarbage(&second)));
    EXPECT_EQ(RESULT_NOT_QUEUED, KindOf(gatherer->EmptyGarbage(&second)));
    EXPECT_EQ(RESULT_NOT_QUEUED, KindOf(gatherer->Uninit()));
    gatherer->Reset();  // refused: the running analysis keeps its findings
    EXPECT_TRUE(second.percents.empty());
    gatherer->GetTotalSize();
    gatherer->GetCheckedSize();
    EXPECT_EQ(2, temp->GetCheckState());
    EXPECT_EQ(2u, FilesBelow(temp).size());  // the item the worker just published

    release.set_value();
    worker.join();
    EXPECT_FALSE(gatherer->IsBusy());
    EXPECT_EQ(kPlantedSize, gatherer->GetTotalSize());
}

TEST_F(GathererTest, ASinkThatSaysStopEndsTheOperationSoon)
{
    PlantJunk();
    ASSERT_EQ(RESULT_OK, gatherer->Init(RulePath().c_str(), TextPath().c_str()));
    CRecordingSink stopAtFirst;
    stopAtFirst.foundAnswer = [] { return false; };
    EXPECT_EQ(RESULT_CANCELLED, KindOf(gatherer->CollectGarbage(&stopAtFirst)));
    ASSERT_EQ(1u, stopAtFirst.found.size());
    EXPECT_EQ(stopAtFirst.found[0].size, gatherer->GetTotalSize());

    CRecordingSink full;
    ASSERT_EQ(RESULT_OK, gatherer->CollectGarbage(&full));
    CRecordingSink stopCleaning;
    stopCleaning.cleanedAnswer = [] { return false; };
    EXPECT_EQ(RESULT_CANCELLED, KindOf(gatherer->EmptyGarbage(&stopCleaning)));
    ASSERT_EQ(1u, stopCleaning.cleaned.size());
    EXPECT_EQ(kPlantedSize - stopCleaning.cleaned[0].size, gatherer->GetTotalSize());
    EXPECT_TRUE(Exists("Windows/Logs/x.log"));

    CRecordingSink stopProgress;
    stopProgress.progressAnswer = [] { return false; };
    EXPECT_EQ(RESULT_CANCELLED, KindOf(gatherer->CollectGarbage(&stopProgress)));
    EXPECT_EQ(1u, stopProgress.percents.size());
    EXPECT_TRUE(stopProgress.found.empty());
}

TEST_F(GathererTest, TheShippedRulesFindJunkOfEveryKindWhereWindowsKeepsIt)
{
    WCHAR program[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    const std::wstring folder = std::wstring(program).substr(0, std::wstring(program).find_last_of(L'\\'));
    const std::string recycled = "$Recycle.Bin/S-1-5-21-3623811015-1001/";
    Plant(recycled + "$IAB12.txt", 1);
    Plant(recycled + "$RAB12.txt", 2);
    Plant(recycled + "$RCD34/inner/notes.txt", 4);
    Plant(recycled + "desktop.ini", 1000);
    Plant("Windows/Prefetch/NOTEPAD.EXE-D8414F97.pf", 8);
    Plant("Windows/Prefetch/Layout.ini", 1000);
    Plant("Users/Owner/AppData/Local/Temp/old.tmp", 16);
    Plant("Users/Mia/AppData/Local/Google/Chrome/User Data/Default/Cache/Cache_Data/data_1", 32);
    Plant("Users/Owner/AppData/Local/Mozilla/Firefox/Profiles/k3v9.default-release/cache2/entries/0A1F", 64);
    Plant("Users/Owner/AppData/Local/Packages/Microsoft.WindowsStore_8wekyb3d8bbwe/LocalCache/catalog.bin", 128);
    Plant("Users/Owner/AppData/LocalLow/Sun/Java/Deployment/cache/6.0/12/4c1e", 256);

    ASSERT_EQ(RESULT_OK, gatherer->Init((folder + L"\\Config.xml").c_str(), (folder + L"\\ResIDText.xml").c_str()));
    CRecordingSink sink;
    ASSERT_EQ(RESULT_OK, gatherer->CollectGarbage(&sink));
    const auto tops = TopCatagories(gatherer);
    ASSERT_EQ(4u, tops.size());
    const std::pair<const wchar_t*, const wchar_t*> expected[] = {{L"System junk", L"icon_system.png"},
                                                                  {L"Web browsers", L"icon_browser.png"},
                                                                  {L"Windows applications", L"icon_winapp.png"},
                                                                  {L"Other applications", L"icon_otherapp.png"}};
    const uint64_t sizes[] = {1 + 2 + 4 + 8 + 16, 64, 128, 256};  // not another user's browser cache
    for (size_t kind = 0; kind < 4; ++kind) {
        EXPECT_EQ(expected[kind].first, tops[kind]->GetName()->name);
        EXPECT_EQ(static_cast<int>(kind), tops[kind]->GetName()->kind);
        EXPECT_EQ(expected[kind].second, tops[kind]->GetName()->icon);
        EXPECT_EQ(sizes[kind], tops[kind]->GetTotalSize()) << kind;
    }
    EXPECT_EQ(3u, FilesBelow(TypeNamed(gatherer, L"System junk", L"Recycle Bin")).size());
}

TEST_F(GathererTest, BadRuleFilesAndCallsGetClearErrors)
{
    CRecordingSink sink;
    EXPECT_EQ(RESULT_NOT_INITIALISED, KindOf(gatherer->CollectGarbage(&sink)));
    EXPECT_EQ(RESULT_NOT_INITIALISED, KindOf(gatherer->Uninit()));
    EXPECT_EQ(RESULT_BAD_ARGUMENT, KindOf(gatherer->Init(nullptr, TextPath().c_str())));
    EXPECT_TRUE(IsFailure(gatherer->Init(L"C:\\rules\\Missing.xml", TextPath().c_str())));
    WriteRules("<Config><DregsweepCatagory Kind=\"0\"><DregsweepProgram>");
    EXPECT_TRUE(IsFailure(gatherer->Init(RulePath().c_str(), TextPath().c_str())));
    // Only unusable elements: nothing to load.
    WriteRules("<Config><DregsweepCatagory Name=\"no kind\"><DregsweepProgram><DregsweepType>"
               "<DregsweepRule Folder=\"%TEMP%\"/></DregsweepType></DregsweepProgram></DregsweepCatagory>"
               "<DregsweepCatagory Kind=\"0\"><DregsweepProgram><DregsweepType><DregsweepRule/>"
               "<DregsweepRule Folder=\"%TEMP%\" MinAgeHours=\"-3\"/></DregsweepType></DregsweepProgram>"
               "</DregsweepCatagory></Config>");
    EXPECT_TRUE(IsFailure(gatherer->Init(RulePath().c_str(), TextPath().c_str())));
    EXPECT_EQ(0, gatherer->GetCatagoryCount());

    // Folders that name nothing on the machine, or lead out of a folder, find nothing; a missing
    // text table leaves the rule file's names.
    PlantJunk();
    WriteRules("<Config><DregsweepCatagory Kind=\"0\" Name=\"Odd\" ResID=\"T_SYSTEM\"><DregsweepProgram><DregsweepType>"
               "<DregsweepRule Folder=\"%NO_SUCH_VARIABLE%\\Temp\" Recurse=\"1\"/>"
               "<DregsweepRule Folder=\"Users\\Owner\" Recurse=\"1\"/>"
               "<DregsweepRule Folder=\"C:\\Users\\Owner\\AppData\\Local\\Temp\\..\\..\" Recurse=\"1\"/>"
               "<DregsweepRule Folder=\"\\\\server\\share\" Recurse=\"1\"/>"
               "<DregsweepRule Folder=\"C:\\Users\\Owner\\AppData\\Local\\Temp\\linkdir\" Recurse=\"1\"/>"
               "<DregsweepRule Folder=\"C:\\Windows\\Logs\" Files=\"*.log\"/>"
               "</DregsweepType></DregsweepProgram></DregsweepCatagory></Config>",
               "not xml");
    ASSERT_EQ(RESULT_OK, gatherer->Init(RulePath().c_str(), TextPath().c_str()));
    EXPECT_EQ(L"Odd", TopCatagories(gatherer)[0]->GetName()->name);
    EXPECT_EQ(RESULT_BAD_ARGUMENT, KindOf(gatherer->CollectGarbage(nullptr)));
    ASSERT_EQ(RESULT_OK, gatherer->CollectGarbage(&sink));
    EXPECT_EQ(10u, gatherer->GetTotalSize());
    EXPECT_EQ(1u, gatherer->GetFileCount());
    EXPECT_EQ(RESULT_OK, gatherer->Uninit());
    EXPECT_EQ(RESULT_NOT_INITIALISED, KindOf(gatherer->EmptyGarbage(&sink)));
}

} // namespace

} // namespace dregsweep_test
