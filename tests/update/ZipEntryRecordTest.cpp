// The entry record of the archive layer: attributes, sizes and the three times.
#include "UnzipFixture.h"

#include "update/ZipArchive.h"

#include <cstdlib>
#include <ctime>

using namespace update_test;

namespace {

uint64_t Ticks(const FILETIME& time) { return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime; }

uint64_t UnixTicks(int64_t seconds) { return static_cast<uint64_t>(seconds * 10000000 + 116444736000000000LL); }

// The builder's DOS time, 2020-05-17 10:20:30, read in UTC.
const uint64_t kDosTicks = UnixTicks(1589710830);

class ZipEntryRecordTest : public UnzipFixture {
protected:
    void SetUp() override
    {
        setenv("TZ", "UTC", 1);
        tzset();
    }

    _Zip_Entry_Info_ Describe(const ZipEntrySpec& entry)
    {
        block_ = BuildZip({entry});
        archive_ = CZipArchive::OpenMemory(block_.data(), block_.size());
        _Zip_Entry_Info_ info = {};
        EXPECT_NE(nullptr, archive_);
        if (archive_) {
            EXPECT_EQ(static_cast<uint32_t>(ZIP_OK), archive_->Describe(0, info));
        }
        return info;
    }

    std::string block_;
    std::unique_ptr<CZipArchive> archive_;
};

TEST_F(ZipEntryRecordTest, TheDosTimeIsLocalTimeAndFillsAllThreeTimes)
{
    const _Zip_Entry_Info_ info = Describe({"a.txt", "abc"});
    EXPECT_EQ(kDosTicks, Ticks(info.writeTime));
    EXPECT_EQ(kDosTicks, Ticks(info.accessTime));
    EXPECT_EQ(kDosTicks, Ticks(info.creationTime));

    ZipEntrySpec invalid{"b.txt", "b"};
    invalid.dosDateTime = 0;  // month and day 0
    EXPECT_EQ(0u, Ticks(Describe(invalid).writeTime));
}

TEST_F(ZipEntryRecordTest, TheTimestampRecordReplacesOnlyTheTimesItCarries)
{
    ZipEntrySpec writeOnly{"a.txt", "abc"};
    writeOnly.localExtra = TimestampRecord(0x01, {1600000000});
    _Zip_Entry_Info_ info = Describe(writeOnly);
    EXPECT_EQ(UnixTicks(1600000000), Ticks(info.writeTime));
    EXPECT_EQ(kDosTicks, Ticks(info.accessTime));
    EXPECT_EQ(kDosTicks, Ticks(info.creationTime));

    ZipEntrySpec all{"a.txt", "abc"};
    // Another record first, then the timestamps in bit order: write, access, creation.
    all.localExtra = std::string("ux\x03\x00qqq", 7) + TimestampRecord(0x07, {1600000000, 1500000000, -100});
    info = Describe(all);
    EXPECT_EQ(UnixTicks(1600000000), Ticks(info.writeTime));
    EXPECT_EQ(UnixTicks(1500000000), Ticks(info.accessTime));
    EXPECT_EQ(UnixTicks(-100), Ticks(info.creationTime));

    ZipEntrySpec later{"a.txt", "abc"};
    later.localExtra = TimestampRecord(0x06, {1500000000, 1400000000}) + TimestampRecord(0x01, {1});
    info = Describe(later);
    EXPECT_EQ(kDosTicks, Ticks(info.writeTime));
    EXPECT_EQ(UnixTicks(1500000000), Ticks(info.accessTime));
    EXPECT_EQ(UnixTicks(1400000000), Ticks(info.creationTime));
}

TEST_F(ZipEntryRecordTest, SizesAndAttributesComeFromTheDirectory)
{
    ZipEntrySpec entry{"sys.dat", std::string(5000, 's')};
    entry.externalAttributes = FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY | 0x40;
    const _Zip_Entry_Info_ info = Describe(entry);
    EXPECT_EQ(5000u, info.uncompressedSize);
    EXPECT_EQ(Deflate(std::string(5000, 's')).size(), info.compressedSize);
    EXPECT_EQ(FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY, info.attributes);
    EXPECT_STREQ(L"sys.dat", info.name);
    EXPECT_EQ(0, info.index);
}

TEST_F(ZipEntryRecordTest, ExtractedFilesCarryTheEntrysTimes)
{
    ZipEntrySpec entry{"t.txt", "timed"};
    entry.localExtra = TimestampRecord(0x03, {1600000000, 1500000000});
    ASSERT_EQ(RESULT_OK, OpenBuilt({entry}));
    const std::string out = Folder("out");
    ASSERT_EQ(RESULT_OK, unzip_->ExtractAll(Wide(out).c_str()));
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    ASSERT_TRUE(GetFileAttributesExW(Wide(out + "/t.txt").c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(UnixTicks(1600000000), Ticks(data.ftLastWriteTime));
    EXPECT_EQ(UnixTicks(1500000000), Ticks(data.ftLastAccessTime));
}

} // namespace
