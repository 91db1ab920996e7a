#include "GathererTest.h"

#include "platform/Machine.h"
#include "support/OtherUser.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <unistd.h>

using namespace bulkseek_test;

namespace {

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

} // namespace

class DeletionTest : public GathererTest {
protected:
    // Four found files of 4, 3, 2 and 1 bytes on D:.
    void SetUp() override
    {
        GathererTest::SetUp();
        InitAndCheck(L"D");
        for (int size = 1; size <= 4; ++size)
            files.push_back(MakeFile("data/file" + std::to_string(size) + ".bin", std::string(size, 'f')));
        CRecordingSink sink;
        ASSERT_EQ(Scan(1, false, sink), RESULT_OK);
        ASSERT_EQ(FoundPaths().size(), 4u);
    }

    void CheckFile(const std::wstring& path) { Found(path)->ChangeCheckState(); }

    std::vector<std::wstring> files;
};

TEST_F(DeletionTest, WithNothingCheckedNothingIsDeletedOrReported)
{
    CRecordingSink sink;
    EXPECT_EQ(gatherer->EmptyGarbage(&sink), RESULT_OK);
    EXPECT_TRUE(sink.emptied.empty());
    EXPECT_EQ(FoundPaths().size(), 4u);
    for (const auto& path : files)
        EXPECT_TRUE(Exists(path));
}

TEST_F(DeletionTest, CheckedFilesGoForGoodLargestFirstWithTheShareDone)
{
    for (const auto& path : files)
        CheckFile(path);
    CRecordingSink sink;
    ASSERT_EQ(gatherer->EmptyGarbage(&sink), RESULT_OK);
    ASSERT_EQ(sink.emptied.size(), 4u);
    std::vector<int> percents;
    for (size_t i = 0; i < sink.emptied.size(); ++i) {
        EXPECT_EQ(sink.emptied[i].path, files[3 - i]);
        EXPECT_TRUE(sink.emptied[i].deleted);
        EXPECT_EQ(sink.emptied[i].failInfo, L"");
        percents.push_back(sink.emptied[i].percent);
    }
    EXPECT_EQ(percents, (std::vector<int>{25, 50, 75, 100}));
    EXPECT_TRUE(FoundPaths().empty());
    for (const auto& path : files)
        EXPECT_FALSE(Exists(path));
    // Nothing went to a recycle bin: the drive holds no other file now.
    EXPECT_TRUE(std::filesystem::is_empty(machine.Root() + "/data"));
    const std::string calls = testing_support::ReadFile(platform::HostPath(L"C:\\ProgramData\\Orvane\\Hanvel\\calls.log"));
    EXPECT_NE(calls.find(" deletion starting\n"), std::string::npos);
}

TEST_F(DeletionTest, ALockedFileIsReportedWithTheSystemsTextAndTriedAgainLater)
{
    CheckFile(files[3]);
    CheckFile(files[1]);
    ASSERT_TRUE(DeleteFileW(files[1].c_str()));
    HANDLE locked = CreateFileW(files[3].c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(locked, INVALID_HANDLE_VALUE);

    CRecordingSink sink;
    ASSERT_EQ(gatherer->EmptyGarbage(&sink), RESULT_OK);
    ASSERT_EQ(sink.emptied.size(), 2u);
    const std::wstring inUse = L"The process cannot access the file because it is being used by another process.\r\n";
    EXPECT_FALSE(sink.emptied[0].deleted);
    EXPECT_EQ(sink.emptied[0].failInfo, inUse);
    EXPECT_EQ(sink.emptied[0].percent, 50);
    // A file already gone counts as deleted.
    EXPECT_TRUE(sink.emptied[1].deleted);
    EXPECT_EQ(sink.emptied[1].percent, 100);
    IBigFileGarbageInfo* kept = Found(files[3]);
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(kept->GetCheckState(), 1);
    EXPECT_EQ(kept->GetFailInfo(), inUse);
    EXPECT_EQ(FoundPaths().size(), 3u);

    CloseHandle(locked);
    CRecordingSink again;
    ASSERT_EQ(gatherer->EmptyGarbage(&again), RESULT_OK);
    ASSERT_EQ(again.emptied.size(), 1u);
    EXPECT_TRUE(again.emptied[0].deleted);
    EXPECT_EQ(again.emptied[0].failInfo, inUse);
    EXPECT_FALSE(Exists(files[3]));
}

TEST_F(DeletionTest, ASinkAnsweringFalseStopsBeforeTheNextCheckedFile)
{
    for (const auto& path : files)
        CheckFile(path);
    CRecordingSink sink;
    sink.emptyAnswer = [] { return false; };
    ASSERT_EQ(gatherer->EmptyGarbage(&sink), RESULT_OK);
    ASSERT_EQ(sink.emptied.size(), 1u);
    EXPECT_EQ(FoundPaths(), (std::vector<std::wstring>{files[2], files[1], files[0]}));
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_TRUE(Exists(files[i]));
        EXPECT_EQ(Found(files[i])->GetCheckState(), 1);
    }
    EXPECT_EQ(gatherer->EmptyGarbage(nullptr), 0x2120002u);
    EXPECT_EQ(gatherer->GetGarbages(nullptr), 0x1C80002u);
    EXPECT_EQ(gatherer->GetCatagories(nullptr), 0x1650002u);
    EXPECT_EQ(LogLinesWith(L"[Bulkseek] EmptyGarbage fail"),
              std::vector<std::wstring>{L"[Bulkseek] EmptyGarbage fail 0x2120002,0"});
}

TEST_F(DeletionTest, PathsLongerThanMaxPathAreScannedAndDeleted)
{
    std::string folder = "data";
    for (int i = 0; i < 12; ++i)
        folder += "/a-folder-name-that-makes-the-path-long-" + std::to_string(i);
    const std::wstring deep = MakeFile(folder + "/deep.iso", std::string(9, 'd'));
    ASSERT_GT(deep.size(), static_cast<size_t>(MAX_PATH));
    gatherer->ClearGarbage();
    CRecordingSink scan;
    ASSERT_EQ(Scan(9, false, scan), RESULT_OK);
    ASSERT_EQ(FoundPaths(), std::vector<std::wstring>{deep});
    CheckFile(deep);
    CRecordingSink sink;
    ASSERT_EQ(gatherer->EmptyGarbage(&sink), RESULT_OK);
    ASSERT_EQ(sink.emptied.size(), 1u);
    EXPECT_TRUE(sink.emptied[0].deleted);
    EXPECT_FALSE(Exists(deep));
}

TEST_F(DeletionTest, AFileChangedSinceTheScanIsKeptAndReportedAsFailed)
{
    for (const auto& path : files)
        CheckFile(path);
    // files[3] grows; files[2] keeps its size but is written again later.
    machine.WriteFile("data/file4.bin", "grown since the scan");
    const std::string rewritten = platform::HostPath(files[2]);
    std::filesystem::last_write_time(rewritten, std::filesystem::last_write_time(rewritten) + std::chrono::hours(1));

    CRecordingSink sink;
    ASSERT_EQ(gatherer->EmptyGarbage(&sink), RESULT_OK);
    ASSERT_EQ(sink.emptied.size(), 4u);
    const std::wstring changed = L"The file has changed since the scan and was not deleted.";
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_FALSE(sink.emptied[i].deleted);
        EXPECT_EQ(sink.emptied[i].failInfo, changed);
        EXPECT_TRUE(Exists(files[3 - i]));
    }
    EXPECT_TRUE(sink.emptied[2].deleted);
    EXPECT_TRUE(sink.emptied[3].deleted);
    EXPECT_EQ(FoundPaths(), (std::vector<std::wstring>{files[3], files[2]}));
    EXPECT_EQ(testing_support::ReadFile(platform::HostPath(files[3])), "grown since the scan");
}

// The host replaces a file of the folder being scanned, after the folder was listed, with one alike
// in name, size and time; the file the scan found is the one listed, so the newcomer is kept.
TEST_F(DeletionTest, AFileReplacedAfterItsFolderWasListedIsNotTheOneFound)
{
    const std::wstring first = MakeFile("data/pair/first.bin", std::string(9, '1'));
    const std::wstring second = MakeFile("data/pair/second.bin", std::string(9, '2'));
    gatherer->ClearGarbage();
    CRecordingSink scan;
    std::wstring replaced;
    scan.fileAnswer = [&](const std::wstring& path) {
        if (!replaced.empty() || (path != first && path != second))
            return true;
        replaced = path == first ? second : first;
        const std::string host = platform::HostPath(replaced);
        const std::string newcomer = machine.WriteFile("data/pair/newcomer", std::string(9, 'n'));
        std::filesystem::last_write_time(newcomer, std::filesystem::last_write_time(host));
        std::filesystem::rename(newcomer, host);
        return true;
    };
    ASSERT_EQ(Scan(9, false, scan), RESULT_OK);
    ASSERT_FALSE(replaced.empty());
    ASSERT_NE(Found(replaced), nullptr);
    CheckFile(replaced);

    CRecordingSink sink;
    ASSERT_EQ(gatherer->EmptyGarbage(&sink), RESULT_OK);
    ASSERT_EQ(sink.emptied.size(), 1u);
    EXPECT_FALSE(sink.emptied[0].deleted);
    EXPECT_EQ(sink.emptied[0].failInfo, L"The file has changed since the scan and was not deleted.");
    EXPECT_EQ(testing_support::ReadFile(platform::HostPath(replaced)), std::string(9, 'n'));
}

// The gatherer runs as root; another user, owning the machine folder, swaps a folder on the found
// file's path for a link to a root-owned folder holding a file alike in name, size and time.
TEST_F(DeletionTest, AFolderOnTheWaySwappedForALinkSinceTheScanLeadsNowhere)
{
    if (const std::string why = testing_support::WhyNotAsOtherUser(); !why.empty())
        GTEST_SKIP() << why;
    const std::wstring found = MakeFile("data/videos/film.iso", std::string(9, 'v'));
    const std::string secret = machine.Root() + "/drive_c/secret";
    machine.WriteFile("drive_c/secret/film.iso", std::string(9, 's'));
    std::filesystem::last_write_time(secret + "/film.iso",
                                     std::filesystem::last_write_time(platform::HostPath(found)));
    gatherer->ClearGarbage();
    CRecordingSink scan;
    ASSERT_EQ(Scan(9, false, scan), RESULT_OK);
    ASSERT_NE(Found(found), nullptr);
    CheckFile(found);
    testing_support::GiveToOtherUser(machine.Root());
    testing_support::GiveToRoot(secret);
    const std::string videos = machine.Root() + "/data/videos";
    const std::string aside = videos + ".moved";
    ASSERT_TRUE(testing_support::AsOtherUser([&] {
        return rename(videos.c_str(), aside.c_str()) == 0 && symlink(secret.c_str(), videos.c_str()) == 0;
    }));

    CRecordingSink sink;
    ASSERT_EQ(gatherer->EmptyGarbage(&sink), RESULT_OK);
    ASSERT_EQ(sink.emptied.size(), 1u);
    EXPECT_FALSE(sink.emptied[0].deleted);
    EXPECT_EQ(sink.emptied[0].failInfo, L"The file has changed since the scan and was not deleted.");
    EXPECT_EQ(testing_support::ReadFile(secret + "/film.iso"), std::string(9, 's'));
    EXPECT_TRUE(std::filesystem::exists(aside + "/film.iso"));
    EXPECT_EQ(FoundPaths(), std::vector<std::wstring>{found});
}
