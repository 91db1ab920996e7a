#include "jex_main/large_file_gatherer/ContentSum.h"
#include "jex_main/large_file_gatherer/Crc64.h"
#include "jex_main/large_file_gatherer/OleDateTime.h"

#include "GathererTest.h"

#include "common/FolderChain.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <vector>

TEST(Crc64, IsTheRedisCrcWhateverTheFormAndTheSplit)
{
    EXPECT_EQ(Crc64Update(0, "123456789", 9), 0xE9C6D914C4B8D9CAull);
    EXPECT_EQ(Crc64Update(0, "", 0), 0u);
    EXPECT_EQ(Crc64Update(0, std::vector<unsigned char>(100000, 0).data(), 100000), 0u);

    std::mt19937_64 random(7);
    std::vector<unsigned char> data(70000);
    for (auto& byte : data)
        byte = static_cast<unsigned char>(random());
    for (size_t length : {1u, 15u, 16u, 63u, 64u, 127u, 128u, 129u, 1000u, 4096u, 65535u, 70000u}) {
        const size_t offset = random() % 7;
        const size_t n = std::min(length, data.size() - offset);
        const uint64_t whole = Crc64UpdateBytewise(0, data.data() + offset, n);
        EXPECT_EQ(Crc64Update(0, data.data() + offset, n), whole) << length;
        const size_t split = n / 3;
        EXPECT_EQ(Crc64Update(Crc64Update(0, data.data() + offset, split), data.data() + offset + split, n - split), whole)
            << length;
    }
}

TEST(OleDateTime, CalendarTimesRoundTripAndCompareAsPointsInTime)
{
    const COleDateTime leap(bulkseek_test::CalendarTime(2024, 2, 29, 18, 30, 15));
    ASSERT_EQ(leap.GetStatus(), COleDateTime::valid);
    SYSTEMTIME back{};
    ASSERT_TRUE(leap.GetAsSystemTime(back));
    EXPECT_EQ(back.wYear, 2024);
    EXPECT_EQ(back.wMonth, 2);
    EXPECT_EQ(back.wDay, 29);
    EXPECT_EQ(back.wHour, 18);
    EXPECT_EQ(back.wMinute, 30);
    EXPECT_EQ(back.wSecond, 15);
    EXPECT_EQ(back.wDayOfWeek, 4);

    EXPECT_DOUBLE_EQ(COleDateTime(bulkseek_test::CalendarTime(1899, 12, 30)).m_dt, 0.0);
    EXPECT_DOUBLE_EQ(COleDateTime(bulkseek_test::CalendarTime(1899, 12, 29, 6)).m_dt, -1.25);
    // Before the base day the time of day still runs forwards.
    EXPECT_LT(COleDateTime(-1.25), COleDateTime(bulkseek_test::CalendarTime(1899, 12, 29, 18)));
    EXPECT_LT(COleDateTime(-1.75), COleDateTime(0.0));
    EXPECT_GT(COleDateTime(-0.5), COleDateTime(-1.0));

    EXPECT_EQ(COleDateTime(bulkseek_test::CalendarTime(1899, 2, 30)).GetStatus(), COleDateTime::invalid);
    EXPECT_EQ(COleDateTime(bulkseek_test::CalendarTime(99, 2, 1)).GetStatus(), COleDateTime::invalid);
    COleDateTime invalid;
    invalid.SetStatus(COleDateTime::invalid);
    EXPECT_FALSE(invalid.GetAsSystemTime(back));
}

TEST(OleDateTime, FileTimesBecomeLocalDatesAndUnconvertibleOnesInvalid)
{
    testing_support::TempMachine machine;
    const SYSTEMTIME utc = bulkseek_test::CalendarTime(2021, 7, 1, 12);
    FILETIME fileTime{};
    ASSERT_TRUE(SystemTimeToFileTime(&utc, &fileTime));
    FILETIME local{};
    ASSERT_TRUE(FileTimeToLocalFileTime(&fileTime, &local));
    SYSTEMTIME expected{};
    ASSERT_TRUE(FileTimeToSystemTime(&local, &expected));
    const COleDateTime date = COleDateTime::FromFileTime(fileTime);
    ASSERT_EQ(date.GetStatus(), COleDateTime::valid);
    SYSTEMTIME back{};
    ASSERT_TRUE(date.GetAsSystemTime(back));
    EXPECT_EQ(back.wDay, expected.wDay);
    EXPECT_EQ(back.wHour, expected.wHour);

    const FILETIME tooLate{0xFFFFFFFFu, 0xFFFFFFFFu};
    EXPECT_EQ(COleDateTime::FromFileTime(tooLate).GetStatus(), COleDateTime::invalid);
}

namespace bulkseek_test {

// The file a content sum reads is the one its folder's listing found: neither what took the name
// since nor what a link put at the name leads to, even that very file.
TEST_F(GathererTest, AContentSumReadsOnlyTheFileTheListingFound)
{
    const std::wstring listed = MakeFile("data/listed.bin", std::string(5000, 'l'));
    const HANDLE file = CreateFileW(listed.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    BY_HANDLE_FILE_INFORMATION identity{};
    ASSERT_TRUE(GetFileInformationByHandle(file, &identity));
    CloseHandle(file);
    const auto read = [&] {
        CContentSum sum;
        sum.Read(listed, identity.dwVolumeSerialNumber, folder_chain::FileIndexOf(identity), 5000, false);
        return sum;
    };
    const CContentSum found = read();
    ASSERT_TRUE(found.Has(true));

    const std::string data = machine.Root() + "/data";
    std::filesystem::rename(data + "/listed.bin", data + "/moved.bin");
    std::filesystem::create_symlink("moved.bin", data + "/listed.bin");
    EXPECT_TRUE(read().Unreadable()) << "a link to the listed file";
    std::filesystem::remove(data + "/listed.bin");
    machine.WriteFile("data/listed.bin", std::string(5000, 'l'));
    EXPECT_TRUE(read().Unreadable()) << "a file alike that took the name";
}

} // namespace bulkseek_test
