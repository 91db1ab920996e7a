#include "GathererTest.h"

#include "platform/Machine.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <random>

using namespace bulkseek_test;

namespace {

constexpr uint64_t kMiB = 1024 * 1024;

std::vector<std::wstring> PathsOf(const std::vector<CRecordingSink::ScanFile>& files, bool found)
{
    std::vector<std::wstring> paths;
    for (const auto& file : files)
        if ((file.item != nullptr) == found)
            paths.push_back(file.path);
    std::sort(paths.begin(), paths.end());
    return paths;
}

FILETIME FileTimeOf(WORD year)
{
    const SYSTEMTIME time = CalendarTime(year, 6, 15, 12);
    FILETIME fileTime{};
    SystemTimeToFileTime(&time, &fileTime);
    return fileTime;
}

void SetLastWrite(const std::wstring& path, WORD year)
{
    HANDLE file = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    const FILETIME time = FileTimeOf(year);
    EXPECT_TRUE(SetFileTime(file, nullptr, nullptr, &time));
    CloseHandle(file);
}

// Holds a file open without sharing, as another program that locked it would.
HANDLE Lock(const std::wstring& path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(file, INVALID_HANDLE_VALUE);
    return file;
}

COleDateTime LocalDate(WORD year) { return COleDateTime(CalendarTime(year, 1, 1)); }

// Every file below a folder in the order a plain walk meets them: entries as listed, folders
// entered where they stand.
void WalkInOrder(const std::wstring& folder, std::vector<std::wstring>& files)
{
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    for (BOOL more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileW(find, &data)) {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..")
            continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            WalkInOrder(folder + L"\\" + name, files);
        else
            files.push_back(folder + L"\\" + name);
    }
    if (find != INVALID_HANDLE_VALUE)
        FindClose(find);
}

} // namespace

TEST_F(GathererTest, TheScanMeetsFilesInTheWalksOrderAndMatchesEachWithItsEarliestEqual)
{
    InitAndCheck(L"D");
    // Contents of a few sizes, small and large: equal ones, ones that differ at the start, in the
    // middle only (equal ends) and at the end only.
    std::mt19937 random(11);
    std::map<std::wstring, std::string> contents;
    for (int i = 0; i < 300; ++i) {
        const size_t size = (random() % 2 ? 3000 : 200000) + random() % 3;
        std::string content(size, static_cast<char>('a' + random() % 2));
        const int change = static_cast<int>(random() % 4);
        if (change == 1)
            content[0] = 'z';
        else if (change == 2)
            content[size / 2] = 'z';
        else if (change == 3)
            content[size - 1] = 'z';
        std::string folder = "data";
        for (int depth = static_cast<int>(random() % 4); depth > 0; --depth)
            folder += "/level" + std::to_string(random() % 3);
        contents[MakeFile(folder + "/file" + std::to_string(i) + ".bin", content)] = content;
    }
    std::vector<std::wstring> order;
    WalkInOrder(L"D:", order);
    ASSERT_EQ(order.size(), contents.size());

    CRecordingSink sink;
    std::vector<std::pair<std::wstring, std::wstring>> events;
    sink.fileAnswer = [&sink, &events](const std::wstring& path) {
        events.emplace_back(path, sink.same.empty() || sink.same.back().first != path ? L"" : sink.same.back().second);
        return true;
    };
    ASSERT_EQ(Scan(1, true, sink), RESULT_OK);

    std::vector<std::pair<std::wstring, std::wstring>> expected;
    for (size_t i = 0; i < order.size(); ++i) {
        std::wstring firstCopy;
        for (size_t j = 0; j < i && firstCopy.empty(); ++j)
            if (contents[order[j]] == contents[order[i]])
                firstCopy = order[j];
        expected.emplace_back(order[i], firstCopy);
    }
    EXPECT_EQ(events, expected);
}

TEST_F(GathererTest, FilesFromTheMinimumSizeUpAreFoundAndSystemFilesNever)
{
    InitAndCheck(L"D");
    const std::wstring exact = MakeFile("data/exact.bin", "", 20 * kMiB);
    const std::wstring small = MakeFile("data/Small/under.bin", "", 20 * kMiB - 1);
    const std::wstring system = MakeFile("data/pagefile.sys", "", 40 * kMiB);
    ASSERT_TRUE(SetFileAttributesW(system.c_str(), FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN));

    CRecordingSink sink;
    ASSERT_EQ(Scan(20 * kMiB, false, sink), RESULT_OK);
    EXPECT_EQ(PathsOf(sink.scanned, true), std::vector<std::wstring>{exact});
    EXPECT_EQ(PathsOf(sink.scanned, false), (std::vector<std::wstring>{small, system}));
    for (const auto& file : sink.scanned)
        EXPECT_EQ(file.marker, 1);

    IBigFileGarbageInfo* found = Found(exact);
    ASSERT_NE(found, nullptr);
    const _BigFile_Info_* info = found->GetInfo();
    EXPECT_EQ(info->displayName, L"exact.bin");
    EXPECT_EQ(info->size, 20 * kMiB);
    EXPECT_EQ(info->type, 0);
    EXPECT_EQ(info->totalBytes, 0u);
    EXPECT_EQ(info->owner, gatherer);
    EXPECT_EQ(info->lastWriteTime.GetStatus(), COleDateTime::valid);
    EXPECT_EQ(info->creationTime.GetStatus(), COleDateTime::valid);
    EXPECT_EQ(found->GetCheckState(), 0);
    EXPECT_EQ(found->GetFailInfo(), L"");
}

TEST_F(GathererTest, FilesOfEqualSizeAndContentAreReportedWithTheirFirstCopy)
{
    InitAndCheck(L"D");
    const std::string content(10000, 'q');
    std::string other = content;
    other[9000] = 'r';
    const std::wstring a = MakeFile("data/a/one.iso", content);
    const std::wstring b = MakeFile("data/b/two.iso", content);
    const std::wstring c = MakeFile("data/c/three.iso", content);
    const std::wstring d = MakeFile("data/d/differs.iso", other);
    const std::wstring zeros1 = MakeFile("data/z/zeros1.img", "", 3 * kMiB);
    const std::wstring zeros2 = MakeFile("data/z/zeros2.img", "", 3 * kMiB);

    CRecordingSink sink;
    ASSERT_EQ(Scan(1, true, sink), RESULT_OK);
    // Whatever order the folders are walked in, the first of the equal files met is the first
    // copy of the others, and the file that differs late is equal to none.
    std::vector<std::wstring> reported;
    for (const auto& file : sink.scanned)
        reported.push_back(file.path);
    std::vector<std::wstring> firstCopies;
    for (const auto& [file, first] : sink.same)
        firstCopies.push_back(first);
    ASSERT_EQ(sink.same.size(), 3u);
    EXPECT_EQ(std::count(firstCopies.begin(), firstCopies.end(), firstCopies[0]), 2);
    EXPECT_NE(std::find(reported.begin(), reported.end(), firstCopies[0]), reported.end());
    EXPECT_NE(std::find(reported.begin(), reported.end(), d), reported.end());
    EXPECT_EQ(reported.size(), 3u);
    EXPECT_EQ(FoundPaths().size(), 6u);

    // With the search off nothing is equal.
    ASSERT_EQ(gatherer->ClearGarbage(), RESULT_OK);
    CRecordingSink plain;
    ASSERT_EQ(Scan(1, false, plain), RESULT_OK);
    EXPECT_TRUE(plain.same.empty());
    EXPECT_EQ(plain.scanned.size(), 6u);
}

TEST_F(GathererTest, AFileWhoseContentCannotBeReadIsEqualToNone)
{
    InitAndCheck(L"D");
    const std::string content(5000, 'x');
    const std::wstring a = MakeFile("data/a.bin", content);
    const std::wstring b = MakeFile("data/b.bin", content);
    const std::wstring c = MakeFile("data/c.bin", std::string(5000, 'y'));
    const std::wstring d = MakeFile("data/d.bin", std::string(5000, 'y'));
    HANDLE lockedA = Lock(a);
    HANDLE lockedC = Lock(c);
    HANDLE lockedD = Lock(d);

    CRecordingSink sink;
    ASSERT_EQ(Scan(1, true, sink), RESULT_OK);
    EXPECT_TRUE(sink.same.empty());
    EXPECT_EQ(sink.scanned.size(), 4u);

    // Once readable, they are compared again.
    CloseHandle(lockedA);
    CloseHandle(lockedC);
    CloseHandle(lockedD);
    gatherer->ClearGarbage();
    CRecordingSink again;
    ASSERT_EQ(Scan(1, true, again), RESULT_OK);
    EXPECT_EQ(again.same.size(), 2u);
}

TEST_F(GathererTest, FilesVanishingDuringTheScanAreReportedOnceAndFoundGoneLater)
{
    InitAndCheck(L"D");
    const std::string content(8000, 'v');
    for (int i = 0; i < 40; ++i)
        MakeFile("data/f" + std::to_string(i % 4) + "/file" + std::to_string(i) + ".bin", i % 2 ? content : "other");
    CRecordingSink sink;
    // The host deletes each file, and each folder's other files, as soon as it hears of them.
    sink.fileAnswer = [](const std::wstring& path) {
        const std::wstring folder = path.substr(0, path.find_last_of(L'\\'));
        WIN32_FIND_DATAW data;
        HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
        for (BOOL more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileW(find, &data))
            DeleteFileW((folder + L"\\" + data.cFileName).c_str());
        if (find != INVALID_HANDLE_VALUE)
            FindClose(find);
        return true;
    };
    ASSERT_EQ(Scan(1, true, sink), RESULT_OK);
    EXPECT_EQ(sink.scanned.size() + sink.same.size(), FoundPaths().size());
    EXPECT_GE(FoundPaths().size(), 4u);
    for (const auto& path : FoundPaths())
        Found(path)->ChangeCheckState();
    CRecordingSink emptied;
    ASSERT_EQ(gatherer->EmptyGarbage(&emptied), RESULT_OK);
    for (const auto& file : emptied.emptied)
        EXPECT_TRUE(file.deleted) << file.path;
    EXPECT_TRUE(FoundPaths().empty());
}

TEST_F(GathererTest, DateLimitsDropFilesOnTheirSide)
{
    InitAndCheck(L"D");
    const std::wstring old = MakeFile("data/old.bin", "o");
    const std::wstring recent = MakeFile("data/recent.bin", "r");
    SetLastWrite(old, 2015);
    SetLastWrite(recent, 2023);

    const auto scan = [&](const COleDateTime& lastWrite, uint8_t dropsEarlier, const COleDateTime& creation) {
        gatherer->ClearGarbage();
        IBulkseekOption* option = gatherer->CreateOption();
        _BigFile_GatherOption_ record = *option->GetOption();
        record.minimumSize = 1;
        record.lastWriteLimit = lastWrite;
        record.lastWriteByDay = dropsEarlier;
        record.creationLimit = creation;
        record.creationByDay = dropsEarlier;
        option->SetOption(&record);
        CRecordingSink sink;
        EXPECT_EQ(gatherer->CollecttGarbage(&sink, option), RESULT_OK);
        option->Release();
        return PathsOf(sink.scanned, true);
    };
    COleDateTime none;
    none.SetStatus(COleDateTime::invalid);
    EXPECT_EQ(scan(LocalDate(2019), 0, none), std::vector<std::wstring>{old});
    EXPECT_EQ(scan(LocalDate(2019), 1, none), std::vector<std::wstring>{recent});
    EXPECT_EQ(scan(none, 0, none), (std::vector<std::wstring>{old, recent}));
    // Creation times are the host's, made just now.
    EXPECT_TRUE(scan(none, 0, LocalDate(2000)).empty());
    EXPECT_EQ(scan(none, 1, LocalDate(2000)), (std::vector<std::wstring>{old, recent}));
    EXPECT_TRUE(scan(none, 1, LocalDate(9000)).empty());
}

TEST_F(GathererTest, EachCheckedCategoryGetsItsShareOfTheProgress)
{
    InitAndCheck(L"CDE");
    CRecordingSink three;
    ASSERT_EQ(Scan(kMiB, false, three), RESULT_OK);
    EXPECT_EQ(three.spans, (std::vector<std::pair<int, int>>{{0, 33}, {33, 100}, {66, 100}}));

    Check(L"Z");
    CRecordingSink four;
    ASSERT_EQ(Scan(kMiB, false, four), RESULT_OK);
    EXPECT_EQ(four.spans, (std::vector<std::pair<int, int>>{{0, 25}, {25, 50}, {50, 75}, {75, 100}}));
}

TEST_F(GathererTest, TheFractionIsCappedAtOneAndAZeroByteDriveCountsAsWalked)
{
    InitAndCheck(L"EZ");
    MakeFile("usb/a.bin", std::string(1500, 'a'));
    MakeFile("usb/b.bin", std::string(1500, 'b'));
    MakeFile("net/c.bin", "c");
    CRecordingSink sink;
    ASSERT_EQ(Scan(1, false, sink), RESULT_OK);
    ASSERT_EQ(sink.scanned.size(), 3u);
    // E: reports 1500 used bytes: the first file fills them.
    EXPECT_DOUBLE_EQ(sink.scanned[0].fraction, 1.0);
    EXPECT_DOUBLE_EQ(sink.scanned[1].fraction, 1.0);
    EXPECT_DOUBLE_EQ(sink.scanned[2].fraction, 1.0);
    EXPECT_EQ(sink.scanned[2].path, L"Z:\\c.bin");
}

TEST_F(GathererTest, TheSinkStopsACategoryOrSkipsItWithoutEndingTheScan)
{
    InitAndCheck(L"DE");
    MakeFile("data/1.bin", "1");
    MakeFile("data/2.bin", "2");
    MakeFile("usb/3.bin", "3");
    CRecordingSink stop;
    stop.fileAnswer = [](const std::wstring&) { return false; };
    ASSERT_EQ(Scan(1, false, stop), RESULT_OK);
    EXPECT_EQ(stop.spans.size(), 2u);
    ASSERT_EQ(stop.scanned.size(), 2u);
    EXPECT_EQ(stop.scanned[1].path, L"E:\\3.bin");

    gatherer->ClearGarbage();
    CRecordingSink skip;
    skip.progressAnswer = [] { return false; };
    ASSERT_EQ(Scan(1, false, skip), RESULT_OK);
    EXPECT_EQ(skip.spans.size(), 2u);
    EXPECT_TRUE(skip.scanned.empty());
    EXPECT_TRUE(FoundPaths().empty());
}

TEST_F(GathererTest, OptionsMustBeTheGatherersOwnAndTheSinkMayBeMissing)
{
    InitAndCheck(L"D");
    const std::wstring big = MakeFile("data/big.bin", "", 2 * kMiB);
    CRecordingSink sink;
    EXPECT_EQ(gatherer->CollecttGarbage(&sink, nullptr), 0x1A60002u);
    struct CForeignOption : IBulkseekOption {
        _BigFile_GatherOption_ record{};
        _BigFile_GatherOption_* GetOption() override { return &record; }
        bool SetOption(const _BigFile_GatherOption_*) override { return true; }
    } foreign;
    EXPECT_EQ(gatherer->CollecttGarbage(&sink, &foreign), 0x1A60002u);
    EXPECT_TRUE(sink.spans.empty());
    EXPECT_EQ(LogLinesWith(L"[Bulkseek] CollecttGarbage fail"),
              (std::vector<std::wstring>{L"[Bulkseek] CollecttGarbage fail 0x1a60002,0",
                                         L"[Bulkseek] CollecttGarbage fail 0x1a60002,0"}));

    // The defaults: 300 MiB and no dates; SetOption(null) changes nothing. The record is packed, so
    // its size is read into a value of its own before a check takes it by reference.
    IBulkseekOption* option = gatherer->CreateOption();
    const _BigFile_GatherOption_* record = option->GetOption();
    EXPECT_EQ(uint64_t{record->minimumSize}, 300 * kMiB);
    EXPECT_EQ(record->findSameFiles, 0);
    EXPECT_NE(record->lastWriteLimit.GetStatus(), COleDateTime::valid);
    EXPECT_NE(record->creationLimit.GetStatus(), COleDateTime::valid);
    EXPECT_TRUE(option->SetOption(nullptr));
    EXPECT_EQ(uint64_t{option->GetOption()->minimumSize}, 300 * kMiB);
    option->GetOption()->minimumSize = kMiB;
    EXPECT_EQ(gatherer->CollecttGarbage(nullptr, option), RESULT_OK);
    option->Release();
    EXPECT_EQ(FoundPaths(), std::vector<std::wstring>{big});
}

TEST_F(GathererTest, LinksAreNeverFollowedSoLoopsEndAndFoundFilesComeLargestFirst)
{
    InitAndCheck(L"D");
    const std::wstring large = MakeFile("data/Loop/large.bin", "", 3 * kMiB);
    const std::wstring first = MakeFile("data/Loop/first.bin", "", 2 * kMiB);
    const std::wstring second = MakeFile("data/Loop/Deeper/second.bin", "", 2 * kMiB);
    std::filesystem::create_directory_symlink(machine.Root() + "/data/Loop", machine.Root() + "/data/Loop/Deeper/back");
    std::filesystem::create_symlink(machine.Root() + "/data/Loop/large.bin", machine.Root() + "/data/Loop/link.bin");

    CRecordingSink sink;
    ASSERT_EQ(Scan(kMiB, false, sink), RESULT_OK);
    EXPECT_EQ(PathsOf(sink.scanned, true), (std::vector<std::wstring>{second, first, large}));
    const std::vector<std::wstring> found = FoundPaths();
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[0], large);
    // Files of one size keep the order they were found in.
    std::vector<std::wstring> twoMiB;
    for (const auto& file : sink.scanned)
        if (file.item && file.item->GetInfo()->size == 2 * kMiB)
            twoMiB.push_back(file.path);
    EXPECT_EQ(std::vector<std::wstring>(found.begin() + 1, found.end()), twoMiB);
}
