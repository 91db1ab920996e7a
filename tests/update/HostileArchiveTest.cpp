// Archives built to escape the destination, to exhaust the disk or to crash the reader.
#include "UnzipFixture.h"

#include "support/TempMachine.h"
#include "update/ZipLimits.h"

#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <optional>

using namespace update_test;
using testing_support::ReadFile;

namespace {

class HostileArchiveTest : public UnzipFixture {
protected:
    // Extracts into "box/out" so that anything escaping lands in "box" or above it.
    OpResult ExtractBoxed()
    {
        return unzip_->ExtractAll(Wide(Folder("box/out")).c_str());
    }
    std::set<std::string> Box() const { return Listing(Folder("box")); }

    static void ExpectRefusedForItsLimits(OpResult result)
    {
        EXPECT_EQ(0x930001u, Low(result));
        EXPECT_EQ(static_cast<uint32_t>(ERROR_INVALID_DATA), High(result));
    }

    // The open archive's only entry fails both ways it can be extracted, and leaves no file.
    void ExpectTheEntryFailsLeavingNothing()
    {
        EXPECT_EQ(0x930001u, Low(ExtractBoxed()));
        EXPECT_EQ(0x930001u, Low(unzip_->ExtractEntry(0, Wide(Folder("box/direct")).c_str())));
        EXPECT_TRUE(Listing(Folder("box/out")).empty());
        EXPECT_FALSE(std::filesystem::exists(Folder("box/direct")));
    }
};

TEST_F(HostileArchiveTest, NamesThatClimbOutAreRefusedAndTheRestIsExtracted)
{
    const char* const climbing[] = {"../evil.txt", "..\\evil.txt", "a/../../evil.txt", "a\\..\\..\\evil.txt",
                                    "..",          "x/..",         ".../evil.txt",     ". ./evil.txt",
                                    "a/C:/evil.txt", "C:.."};
    for (const char* name : climbing) {
        SCOPED_TRACE(name);
        ASSERT_EQ(RESULT_OK, OpenBuilt({{name, "escaped"}, {"inside.txt", "safe"}}));
        const OpResult result = ExtractBoxed();
        EXPECT_EQ(0x930001u, Low(result));
        EXPECT_EQ(static_cast<uint32_t>(ERROR_INVALID_NAME), High(result));
        EXPECT_EQ((std::set<std::string>{"out", "out/inside.txt"}), Box());
        std::filesystem::remove_all(Folder("box"));
    }
    EXPECT_FALSE(std::filesystem::exists(Folder("evil.txt")));
}

TEST_F(HostileArchiveTest, AbsoluteAndDriveNamesStayInsideTheFolder)
{
    ASSERT_EQ(RESULT_OK, OpenBuilt({{"/etc/evil.txt", "a"}, {"C:\\Windows\\evil.txt", "b"}, {"D:/evil2.txt", "c"},
                                    {"\\\\evil3.txt", "d"}}));
    EXPECT_EQ(RESULT_OK, ExtractBoxed());
    EXPECT_EQ((std::set<std::string>{"out", "out/etc", "out/etc/evil.txt", "out/Windows", "out/Windows/evil.txt",
                                     "out/evil2.txt", "out/evil3.txt"}),
              Box());
}

TEST_F(HostileArchiveTest, ADeflateBombIsRefusedBeforeAnythingIsWritten)
{
    ASSERT_EQ(RESULT_OK, OpenBuilt({{"first.txt", "harmless"}, {"zeros.bin", std::string(16 << 20, '\0')}}));
    ExpectRefusedForItsLimits(ExtractBoxed());
    EXPECT_TRUE(Box().empty());
    ExpectRefusedForItsLimits(unzip_->ExtractEntry(1, Wide(Folder("box/zeros.bin")).c_str()));
    EXPECT_TRUE(Box().empty());
}

TEST_F(HostileArchiveTest, ManyEntriesThatTogetherExpandTooFarAreRefused)
{
    // Each entry stays at the size below which ratios are not checked; together they are a bomb.
    std::vector<ZipEntrySpec> entries;
    for (int i = 0; i < 12; ++i)
        entries.push_back({"part" + std::to_string(i) + ".bin", std::string(kZipRatioFloorBytes, '\0')});
    ASSERT_EQ(RESULT_OK, OpenBuilt(entries));
    ExpectRefusedForItsLimits(ExtractBoxed());
    EXPECT_TRUE(Box().empty());
    // One of them alone is fine.
    EXPECT_EQ(RESULT_OK, unzip_->ExtractEntry(3, Wide(Folder("box/part3.bin")).c_str()));
}

TEST_F(HostileArchiveTest, EntriesSharingOneBodyCannotPassTheSizeLimit)
{
    const size_t body = 1 << 20;
    std::vector<ZipEntrySpec> entries = {{"f0000.bin", Incompressible(body)}};
    entries[0].deflate = false;
    for (size_t i = 1; i <= kZipMaxTotalBytes / body; ++i) {
        char name[16];
        snprintf(name, sizeof name, "f%04zu.bin", i);
        ZipEntrySpec copy{name, ""};
        copy.sharesDataOf = 0;
        entries.push_back(copy);
    }
    ASSERT_EQ(RESULT_OK, OpenBuilt(entries));
    ExpectRefusedForItsLimits(ExtractBoxed());
    EXPECT_TRUE(Box().empty());
}

TEST_F(HostileArchiveTest, TooManyFilesAreRefusedWhileFolderEntriesCountApart)
{
    std::vector<ZipEntrySpec> files;
    for (uint64_t i = 0; i <= kZipMaxFileEntries; ++i) {
        files.emplace_back("f" + std::to_string(i), "");
        files.back().deflate = false;
    }
    ASSERT_EQ(RESULT_OK, unzip_->Open(Wide(WriteArchive("files.zip", BuildZip(files, {std::nullopt, true}))).c_str()));
    ExpectRefusedForItsLimits(ExtractBoxed());
    EXPECT_TRUE(Box().empty());

    // As many folders as files were too many, and one file: only the file costs.
    std::vector<ZipEntrySpec> folders(files.size(), ZipEntrySpec("", ""));
    for (size_t i = 0; i < folders.size(); ++i) {
        folders[i].name = "d" + std::to_string(i) + "/";
        folders[i].deflate = false;
    }
    folders.back() = ZipEntrySpec("d0/file.txt", "inside");
    ASSERT_EQ(RESULT_OK, unzip_->Open(Wide(WriteArchive("folders.zip", BuildZip(folders, {std::nullopt, true}))).c_str()));
    EXPECT_EQ(RESULT_OK, ExtractBoxed());
    EXPECT_EQ((std::set<std::string>{"out", "out/d0", "out/d0/file.txt"}), Box());

    // The end record claims more entries than are ever read.
    ASSERT_EQ(RESULT_OK,
              unzip_->Open(Wide(WriteArchive("many.zip", BuildZip({{"a.txt", "a"}}, {kZipMaxEntries + 1, true}))).c_str()));
    EXPECT_EQ(static_cast<int>(kZipMaxEntries + 1), Entry(-1)->GetIndex());
    std::filesystem::remove_all(Folder("box"));
    ExpectRefusedForItsLimits(ExtractBoxed());
    EXPECT_TRUE(Box().empty());
}

ZipEntrySpec Damaged(const char* name, std::string content, std::optional<uint32_t> declaredSize,
                     std::optional<uint32_t> crc, bool deflate = true, uint16_t flags = 0)
{
    ZipEntrySpec entry{name, std::move(content)};
    entry.declaredSize = declaredSize;
    entry.crc = crc;
    entry.deflate = deflate;
    entry.flags = flags;
    return entry;
}

TEST_F(HostileArchiveTest, DamagedEntriesFailAndLeaveNoFileBehind)
{
    const ZipEntrySpec damaged[] = {
        // Inflates to far more than recorded, with the CRC of all of it: never grows past 100 bytes.
        Damaged("lying.txt", std::string(4 << 20, 'x'), 100, std::nullopt),
        Damaged("short.txt", "only this", 5000, std::nullopt),
        Damaged("short.bin", "only this", 5000, std::nullopt, false),
        Damaged("crc.txt", std::string(40000, 'd'), std::nullopt, 0),
        Damaged("crc.bin", std::string(40000, 'd'), std::nullopt, 0, false),
        Damaged("locked.txt", "secret", std::nullopt, std::nullopt, true, 1),
    };
    for (const ZipEntrySpec& entry : damaged) {
        SCOPED_TRACE(entry.name);
        ASSERT_EQ(RESULT_OK, OpenBuilt({entry}));
        ExpectTheEntryFailsLeavingNothing();
    }
}

TEST_F(HostileArchiveTest, DamagedLargeEntriesFailAndLeaveNoFileBehind)
{
    // Large entries are inflated beside their writing, through pieces used in turn.
    const std::string large = Compressible(3 << 20);
    const uint32_t size = static_cast<uint32_t>(large.size());
    const size_t deflatedSize = Deflate(large).size();
    ZipEntrySpec cut{"cut.txt", large};
    cut.declaredCompressedSize = static_cast<uint32_t>(deflatedSize / 2);
    const ZipEntrySpec damaged[] = {
        Damaged("crc.txt", large, std::nullopt, 0),
        Damaged("short.txt", large, size + 5000, std::nullopt),
        Damaged("lying.txt", large, size - (1 << 20), std::nullopt),
        cut,
    };
    for (const ZipEntrySpec& entry : damaged) {
        SCOPED_TRACE(entry.name);
        ASSERT_EQ(RESULT_OK, OpenBuilt({entry}));
        ExpectTheEntryFailsLeavingNothing();
    }

    const ZipEntrySpec whole{"corrupt.txt", large};
    std::string archive = BuildZip({whole});
    const size_t middle = 30 + whole.name.size() + deflatedSize / 2;
    for (size_t i = middle; i < middle + 64; ++i)
        archive[i] = static_cast<char>(archive[i] ^ 0x5A);
    ASSERT_EQ(RESULT_OK, unzip_->Open(Wide(WriteArchive("corrupt.zip", archive)).c_str()));
    ExpectTheEntryFailsLeavingNothing();
}

TEST_F(HostileArchiveTest, ALargeEntryThatTheDiskCannotHoldFailsAndLeavesNoFile)
{
    ASSERT_EQ(RESULT_OK, OpenBuilt({{"large.txt", Compressible(3 << 20)}}));
    // Files of this process cannot grow past 2 MiB, as if the disk were full there.
    rlimit before = {};
    ASSERT_EQ(0, getrlimit(RLIMIT_FSIZE, &before));
    const auto previousHandler = signal(SIGXFSZ, SIG_IGN);
    rlimit limited = before;
    limited.rlim_cur = 2 << 20;
    ASSERT_EQ(0, setrlimit(RLIMIT_FSIZE, &limited));
    ExpectTheEntryFailsLeavingNothing();
    setrlimit(RLIMIT_FSIZE, &before);
    signal(SIGXFSZ, previousHandler);
}

TEST_F(HostileArchiveTest, CorruptDataIsAnInflateFailure)
{
    ZipEntrySpec garbage{"garbage.txt", "content"};
    std::string archive = BuildZip({garbage});
    // Overwrite the compressed bytes (after the 30-byte header and the name) with an invalid block.
    archive[30 + garbage.name.size()] = static_cast<char>(0xFF);
    ASSERT_EQ(RESULT_OK, unzip_->OpenMemory(archive.data(), static_cast<DWORD>(archive.size())));
    EXPECT_EQ(0x930001u, Low(ExtractBoxed()));
    EXPECT_TRUE(Listing(Folder("box/out")).empty());
}

TEST_F(HostileArchiveTest, TruncatedArchivesNeverExtractAnything)
{
    const std::string whole = BuildZip({{"a.txt", std::string(3000, 'a')}, {"b.txt", Incompressible(2000)}});
    const size_t directoryEnd = whole.size() - 22;
    const std::string endRecord = whole.substr(directoryEnd);
    for (size_t length = 0; length < directoryEnd; length += 7) {
        SCOPED_TRACE(length);
        // Cut short, and cut short with the end record put back after the cut.
        for (const std::string& cut : {whole.substr(0, length), whole.substr(0, length) + endRecord}) {
            if (unzip_->OpenMemory(cut.data(), static_cast<DWORD>(cut.size())) == RESULT_OK) {
                EXPECT_NE(RESULT_OK, ExtractBoxed());
            }
        }
    }
    EXPECT_TRUE(Listing(Folder("box/out")).empty());
}

TEST_F(HostileArchiveTest, DamagedExtraFieldsAreReadOnlyWithinTheirBounds)
{
    std::string overlong = "UT";
    overlong += std::string("\xC8\x00", 2);  // claims 200 bytes
    overlong += std::string("\x01\x10\x20", 3);
    std::string tooShortTimes = TimestampRecord(0x07, {1600000000});
    const std::string fields[] = {overlong, tooShortTimes, std::string("\x01", 1), std::string("AB\xFF\xFF", 4),
                                  std::string("XY\x02\x00zzUT\x05\x00\x01", 11)};
    for (const std::string& field : fields) {
        ZipEntrySpec entry{"x.txt", "x"};
        entry.localExtra = field;
        ASSERT_EQ(RESULT_OK, OpenBuilt({entry}));
        EXPECT_STREQ(L"x.txt", Entry(0)->GetName());
        EXPECT_EQ(RESULT_OK, ExtractBoxed());
        EXPECT_EQ("x", ReadFile(Folder("box/out/x.txt")));
    }
}

} // namespace
