// Opening archives, describing entries and extracting them through IUnzipFile.
#include "UnzipFixture.h"

#include "support/SmallDisk.h"
#include "support/TempMachine.h"

#include <filesystem>
#include <map>
#include <random>

using namespace update_test;
using testing_support::ReadFile;

namespace {

constexpr uint32_t kUnixFile = 3 << 8;

class UnzipFileTest : public UnzipFixture {};

TEST_F(UnzipFileTest, OpenRefusesMissingPathsFilesAndNonArchivesAndStaysClosed)
{
    EXPECT_EQ(0x290001u, Low(unzip_->Open(nullptr)));
    EXPECT_EQ(0x300001u, Low(unzip_->Open(Wide(Folder("missing.zip")).c_str())));
    EXPECT_EQ(0x300001u, Low(unzip_->Open(Wide(WriteArchive("text.zip", "not an archive at all")).c_str())));
    IFileEntry* entry = nullptr;
    EXPECT_EQ(0x600001u, Low(unzip_->GetEntry(0, &entry)));
    EXPECT_EQ(0x8D0001u, Low(unzip_->ExtractEntry(0, L"x")));
    EXPECT_EQ(0xAB0001u, Low(unzip_->ExtractAll(Wide(Folder("out")).c_str())));
    EXPECT_EQ(nullptr, entry);
}

TEST_F(UnzipFileTest, OpenAcceptsWindowsPathsThroughTheDriveMap)
{
    testing_support::TempMachine machine;
    machine.WriteFile("drive_c/Packs/images.zip", BuildZip({{"1.txt", "one"}}));
    ASSERT_EQ(RESULT_OK, unzip_->Open(L"C:\\Packs\\images.zip"));
    EXPECT_EQ(1, Entry(-1)->GetIndex());
}

TEST_F(UnzipFileTest, EntriesAreDescribedByIndexAndTheSummaryCountsThem)
{
    ASSERT_EQ(RESULT_OK, OpenBuilt({{"docs/", ""}, {"docs/a.txt", "alpha"}, {"b.txt", "beta"}}));
    const EntryPtr summary = Entry(-5);
    EXPECT_EQ(3, summary->GetIndex());
    EXPECT_STREQ(L"", summary->GetName());
    EXPECT_EQ(0, summary->IsDirectory());

    EXPECT_EQ(1, Entry(0)->IsDirectory());
    const EntryPtr file = Entry(1);
    EXPECT_EQ(1, file->GetIndex());
    EXPECT_STREQ(L"docs/a.txt", file->GetName());
    EXPECT_EQ(0, file->IsDirectory());
    // Backwards again, then the cached entry.
    EXPECT_STREQ(L"docs/", Entry(0)->GetName());
    EXPECT_STREQ(L"b.txt", Entry(2)->GetName());
    EXPECT_STREQ(L"b.txt", Entry(2)->GetName());

    IFileEntry* untouched = reinterpret_cast<IFileEntry*>(0x1);
    EXPECT_EQ(0x6E0001u, Low(unzip_->GetEntry(3, &untouched)));
    EXPECT_EQ(reinterpret_cast<IFileEntry*>(0x1), untouched);
    EXPECT_EQ(0xB60001u, Low(unzip_->GetEntry(0, nullptr)));
}

TEST_F(UnzipFileTest, AnEntryOutlivesTheArchiveItCameFrom)
{
    ASSERT_EQ(RESULT_OK, OpenBuilt({{"kept.txt", "x"}}));
    const EntryPtr entry = Entry(0);
    unzip_->Close();
    EXPECT_STREQ(L"kept.txt", entry->GetName());
    EXPECT_EQ(RESULT_OK, unzip_->Close());
}

TEST_F(UnzipFileTest, NamesLoseDrivesLeadingSeparatorsAndClimbs)
{
    ASSERT_EQ(RESULT_OK, OpenBuilt({{"C:\\..\\x\\..\\evil.txt", "e"}, {"/abs/a.txt", "a"}, {"\\\\server\\share\\s.txt", "s"}}));
    EXPECT_STREQ(L"evil.txt", Entry(0)->GetName());
    EXPECT_STREQ(L"abs/a.txt", Entry(1)->GetName());
    EXPECT_STREQ(L"server\\share\\s.txt", Entry(2)->GetName());

    const std::string out = Folder("out");
    EXPECT_EQ(RESULT_OK, unzip_->ExtractAll(Wide(out).c_str()));
    EXPECT_EQ((std::set<std::string>{"abs", "abs/a.txt", "evil.txt", "server", "server/share", "server/share/s.txt"}),
              Listing(out));
    EXPECT_EQ("e", ReadFile(out + "/evil.txt"));
}

TEST_F(UnzipFileTest, UnixModesGiveReadOnlyFilesAndFolders)
{
    ZipEntrySpec readOnly{"ro.txt", "read only"};
    readOnly.versionMadeBy = kUnixFile | 20;
    readOnly.externalAttributes = 0100444u << 16;
    ZipEntrySpec writable{"rw.txt", "writable"};
    writable.versionMadeBy = kUnixFile | 20;
    writable.externalAttributes = 0100644u << 16;
    ZipEntrySpec folder{"sub", ""};
    folder.versionMadeBy = kUnixFile | 20;
    folder.externalAttributes = 040755u << 16;
    ASSERT_EQ(RESULT_OK, OpenBuilt({readOnly, writable, folder}));
    EXPECT_EQ(1, Entry(2)->IsDirectory());

    const std::string out = Folder("out");
    ASSERT_EQ(RESULT_OK, unzip_->ExtractAll(Wide(out).c_str()));
    EXPECT_EQ(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE,
              GetFileAttributesW(Wide(out + "/ro.txt").c_str()) & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_EQ(0u, GetFileAttributesW(Wide(out + "/rw.txt").c_str()) & FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ("read only", ReadFile(out + "/ro.txt"));
}

TEST_F(UnzipFileTest, DosAttributesAreKeptAndAFolderNameMakesAFolder)
{
    ZipEntrySpec hidden{"hidden.txt", "h"};
    hidden.externalAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE;
    // Some writers leave a folder's attributes at 0; its trailing separator still makes it one.
    ZipEntrySpec bareFolder{"plain/", ""};
    ASSERT_EQ(RESULT_OK, OpenBuilt({hidden, bareFolder}));
    EXPECT_EQ(1, Entry(1)->IsDirectory());
    const std::string out = Folder("out");
    ASSERT_EQ(RESULT_OK, unzip_->ExtractAll(Wide(out).c_str()));
    EXPECT_EQ(FILE_ATTRIBUTE_HIDDEN, GetFileAttributesW(Wide(out + "/hidden.txt").c_str()) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ((std::set<std::string>{"hidden.txt"}), Listing(out));
}

TEST_F(UnzipFileTest, ExtractEntryWritesFilesAndFoldersWithTheirParents)
{
    ZipEntrySpec stored{"stored.bin", Incompressible(50000)};
    stored.deflate = false;
    ASSERT_EQ(RESULT_OK, OpenBuilt({{"text.txt", std::string(100000, 'q')}, stored, {"a/b/", ""}}));
    const std::string out = Folder("out");
    EXPECT_EQ(RESULT_OK, unzip_->ExtractEntry(0, Wide(out + "/deep/er/text.txt").c_str()));
    EXPECT_EQ(std::string(100000, 'q'), ReadFile(out + "/deep/er/text.txt"));
    EXPECT_EQ(RESULT_OK, unzip_->ExtractEntry(1, (Wide(out) + L"\\stored.bin").c_str()));
    EXPECT_EQ(Incompressible(50000), ReadFile(out + "/stored.bin"));
    EXPECT_EQ(RESULT_OK, unzip_->ExtractEntry(2, Wide(out + "/made/folder").c_str()));
    EXPECT_TRUE(std::filesystem::is_directory(out + "/made/folder"));

    EXPECT_EQ(0x870001u, Low(unzip_->ExtractEntry(-1, Wide(out + "/x").c_str())));
    EXPECT_EQ(0x870001u, Low(unzip_->ExtractEntry(0, nullptr)));
    EXPECT_EQ(0x930001u, Low(unzip_->ExtractEntry(3, Wide(out + "/x").c_str())));
}

TEST_F(UnzipFileTest, RelativeDestinationsLieUnderTheFolderCurrentAtOpen)
{
    const std::string first = Folder("first");
    const std::string second = Folder("second");
    std::filesystem::create_directories(first);
    std::filesystem::create_directories(second);
    ASSERT_TRUE(SetCurrentDirectoryW(Wide(first).c_str()));
    ASSERT_EQ(RESULT_OK, OpenBuilt({{"r.txt", "relative"}}));
    ASSERT_TRUE(SetCurrentDirectoryW(Wide(second).c_str()));
    EXPECT_EQ(RESULT_OK, unzip_->ExtractEntry(0, L"sub\\r.txt"));
    EXPECT_EQ("relative", ReadFile(first + "/sub/r.txt"));
    EXPECT_TRUE(Listing(second).empty());
}

TEST_F(UnzipFileTest, ExtractAllReplacesFilesAndLeavesNoTemporaryFiles)
{
    ASSERT_EQ(RESULT_OK, OpenBuilt({{"img/", ""}, {"img/1.png", Incompressible(3000)}, {"img\\1.txt", "day one"},
                                    {"2.txt", "day two"}}));
    const std::string out = Folder("pack");
    machine_.WriteFile("drive_c/pack/2.txt", "old text that is longer");
    EXPECT_EQ(RESULT_OK, unzip_->ExtractAll((Wide(out) + L"\\").c_str()));
    EXPECT_EQ((std::set<std::string>{"2.txt", "img", "img/1.png", "img/1.txt"}), Listing(out));
    EXPECT_EQ("day two", ReadFile(out + "/2.txt"));
    EXPECT_EQ("day one", ReadFile(out + "/img/1.txt"));
    EXPECT_EQ(Incompressible(3000), ReadFile(out + "/img/1.png"));
}

TEST_F(UnzipFileTest, ExtractingAgainAfterTheFolderWasRemovedMakesItAgain)
{
    ASSERT_EQ(RESULT_OK, OpenBuilt({{"sub/a.txt", "a"}, {"sub/b.txt", "b"}}));
    const std::string out = Folder("out");
    ASSERT_EQ(RESULT_OK, unzip_->ExtractAll(Wide(out).c_str()));
    std::filesystem::remove_all(out);
    EXPECT_EQ(RESULT_OK, unzip_->ExtractAll(Wide(out).c_str()));
    EXPECT_EQ((std::set<std::string>{"sub", "sub/a.txt", "sub/b.txt"}), Listing(out));
}

TEST_F(UnzipFileTest, ExtractAllOfFoldersOnlyCreatesNothing)
{
    ASSERT_EQ(RESULT_OK, OpenBuilt({{"a/", ""}, {"a/b/", ""}}));
    EXPECT_EQ(RESULT_OK, unzip_->ExtractAll(Wide(Folder("out")).c_str()));
    EXPECT_FALSE(std::filesystem::exists(Folder("out")));
    EXPECT_EQ(0xA50001u, Low(unzip_->ExtractAll(nullptr)));
}

TEST_F(UnzipFileTest, AFailedEntryFailsExtractAllButTheOthersStillArrive)
{
    ZipEntrySpec damaged{"damaged.txt", "some content"};
    damaged.crc = 0x12345678;
    ASSERT_EQ(RESULT_OK, OpenBuilt({damaged, {"good.txt", "good"}}));
    const std::string out = Folder("out");
    EXPECT_EQ(0x930001u, Low(unzip_->ExtractAll(Wide(out).c_str())));
    EXPECT_EQ((std::set<std::string>{"good.txt"}), Listing(out));
}

TEST_F(UnzipFileTest, AFinalNameThatCannotBeTakenIsAFailure)
{
    ASSERT_EQ(RESULT_OK, OpenBuilt({{"taken", "content"}, {"free.txt", "free"}}));
    const std::string out = Folder("out");
    std::filesystem::create_directories(out + "/taken/inside");
    const OpResult result = unzip_->ExtractAll(Wide(out).c_str());
    EXPECT_EQ(0x930001u, Low(result));
    EXPECT_NE(0u, High(result));
    EXPECT_EQ((std::set<std::string>{"free.txt", "taken", "taken/inside"}), Listing(out));
}

// A full disk is the disk's fault, not the archive's: the failure carries ERROR_DISK_FULL, for an
// entry written as it is read and for one inflated beside its writing alike, by either extraction,
// and no part of a file stays behind.
TEST_F(UnzipFileTest, AFullDiskFailsTheExtractionWithTheDisksError)
{
    const std::string small = Folder("small");
    std::filesystem::create_directories(small);
    std::mt19937 random(47);
    std::string noise(2 * 1024 * 1024, '\0');
    for (char& c : noise)
        c = static_cast<char>(random());
    ZipEntrySpec stored("stored.bin", noise);
    stored.deflate = false;
    testing_support::OnSmallDisk(small, [&](const testing_support::DiskCheck& check) {
        for (const ZipEntrySpec& entry : {stored, ZipEntrySpec("deflated.bin", noise)}) {
            check(OpenBuilt({entry}) == RESULT_OK, "the archive opens");
            const OpResult all = unzip_->ExtractAll(Wide(small).c_str());
            check(Low(all) == 0x930001u && High(all) == ERROR_DISK_FULL, "ExtractAll fails with the disk's error");
            const OpResult one = unzip_->ExtractEntry(0, Wide(small + "/one.bin").c_str());
            check(Low(one) == 0x930001u && High(one) == ERROR_DISK_FULL, "ExtractEntry fails with the disk's error");
            check(Listing(small).empty(), "nothing stays on the disk");
        }
    }, 512 * 1024);
}

TEST_F(UnzipFileTest, ArchivesOpenFromACopiedMemoryBlock)
{
    std::string block = BuildZip({{"m/1.txt", "from memory"}, {"m/2.txt", std::string(70000, 'm')}});
    ASSERT_EQ(RESULT_OK, unzip_->OpenMemory(block.data(), static_cast<DWORD>(block.size())));
    block.assign(block.size(), '\0');
    const std::string out = Folder("out");
    EXPECT_EQ(RESULT_OK, unzip_->ExtractAll(Wide(out).c_str()));
    EXPECT_EQ("from memory", ReadFile(out + "/m/1.txt"));
    EXPECT_EQ(std::string(70000, 'm'), ReadFile(out + "/m/2.txt"));

    EXPECT_EQ(0xB50001u, Low(unzip_->OpenMemory(nullptr, 10)));
    EXPECT_EQ(0xB50001u, Low(unzip_->OpenMemory(block.data(), 0)));
    EXPECT_EQ(0x300001u, Low(unzip_->OpenMemory(block.data(), static_cast<DWORD>(block.size()))));
}

TEST_F(UnzipFileTest, LargeEntriesArriveWholeBetweenSmallOnesFromFilesAndMemory)
{
    // Larger than all the pieces that inflating passes through at once, so that each is used again.
    const std::string large = Compressible(6 << 20);
    const std::string other = Compressible(2 << 20, 2);
    const std::string archive =
        BuildZip({{"a.txt", "small"}, {"big/large.txt", large}, {"b.txt", "between"}, {"other.txt", other}});
    const auto expectAll = [&](const std::string& out) {
        EXPECT_EQ(RESULT_OK, unzip_->ExtractAll(Wide(out).c_str()));
        EXPECT_EQ((std::set<std::string>{"a.txt", "b.txt", "big", "big/large.txt", "other.txt"}), Listing(out));
        EXPECT_TRUE(ReadFile(out + "/big/large.txt") == large);
        EXPECT_TRUE(ReadFile(out + "/other.txt") == other);
        EXPECT_EQ("between", ReadFile(out + "/b.txt"));
    };
    ASSERT_EQ(RESULT_OK, unzip_->Open(Wide(WriteArchive("large.zip", archive)).c_str()));
    expectAll(Folder("from-file"));
    EXPECT_EQ(RESULT_OK, unzip_->ExtractEntry(1, Wide(Folder("again.txt")).c_str()));
    EXPECT_TRUE(ReadFile(Folder("again.txt")) == large);

    // Behind a stub, as a self-extracting archive has it: the data lies further in than recorded.
    const std::string stubbed = std::string(100, 'S') + archive;
    ASSERT_EQ(RESULT_OK, unzip_->OpenMemory(stubbed.data(), static_cast<DWORD>(stubbed.size())));
    expectAll(Folder("from-memory"));
}

TEST_F(UnzipFileTest, ManySmallEntriesAcrossTheReadersWindowsArriveWhole)
{
    // Some hundreds of kilobytes of entries and a central directory of several windows' worth of
    // records: entries, headers and records straddle the pieces the archive is read in.
    std::vector<ZipEntrySpec> entries;
    for (int i = 0; i < 600; ++i) {
        entries.emplace_back("set" + std::to_string(i % 7) + "/entry-with-a-longer-name-" + std::to_string(i) + ".bin",
                             Incompressible(300 + (i * 37) % 1700, static_cast<uint32_t>(i + 1)));
        entries.back().deflate = i % 3 != 0;
    }
    ASSERT_EQ(RESULT_OK, unzip_->Open(Wide(WriteArchive("many.zip", BuildZip(entries))).c_str()));
    const std::string out = Folder("many");
    ASSERT_EQ(RESULT_OK, unzip_->ExtractAll(Wide(out).c_str()));
    for (const ZipEntrySpec& entry : entries)
        ASSERT_TRUE(ReadFile(out + "/" + entry.name) == entry.content) << entry.name;
}

ZipEntrySpec Named(std::string name, std::string content, uint16_t flags = 0)
{
    ZipEntrySpec entry{std::move(name), std::move(content)};
    entry.flags = flags;
    return entry;
}

// Every file below a folder with its content, by relative host name.
std::map<std::string, std::string> FilesBelow(const std::string& folder)
{
    std::map<std::string, std::string> files;
    for (const std::string& name : Listing(folder))
        if (std::filesystem::is_regular_file(folder + "/" + name))
            files[name] = ReadFile(folder + "/" + name);
    return files;
}

TEST_F(UnzipFileTest, ArchivesFromOtherWritersExtractEachFileUnderItsOwnName)
{
    constexpr uint16_t kUtf8Flag = 0x800;
    struct Case {
        const char* label;
        std::vector<ZipEntrySpec> entries;
        bool zip64;
        std::string prefix;  // put in front, the offsets left as they were
        DWORD error;         // the high half of ExtractAll's failure; 0 for success
        std::map<std::string, std::string> files;
    };
    std::vector<Case> cases = {
        {"code page 437 without the flag", {Named("filename_with_\x91o\x86.txt", "cp437")}, false, "", 0,
         {{"filename_with_\u00e6o\u00e5.txt", "cp437"}}},
        {"code page 437 names that UTF-8 would merge", {Named("\x84.txt", "a"), Named("\x94.txt", "o")}, false, "", 0,
         {{"\u00e4.txt", "a"}, {"\u00f6.txt", "o"}}},
        {"UTF-8 without the flag stays UTF-8", {Named("na\u00efve/caf\u00e9.txt", "utf8")}, false, "", 0,
         {{"na\u00efve/caf\u00e9.txt", "utf8"}}},
        {"UTF-8 with the flag", {Named("\u65e5\u672c.txt", "flagged", kUtf8Flag)}, false, "", 0,
         {{"\u65e5\u672c.txt", "flagged"}}},
        {"ZIP64 behind a program", {Named("a.txt", "small"), Named("big.txt", Compressible(2 << 20))}, true,
         std::string(5000, 'S'), 0, {{"a.txt", "small"}, {"big.txt", Compressible(2 << 20)}}},
        {"ZIP64 without anything in front", {Named("z.txt", "z")}, true, "", 0, {{"z.txt", "z"}}},
        // A later entry never takes the file an earlier one wrote; the others still arrive.
        {"one name twice", {Named("a.txt", "first"), Named("a.txt", "second"), Named("b.txt", "b")}, false, "",
         ERROR_FILE_EXISTS, {{"a.txt", "first"}, {"b.txt", "b"}}},
        {"names that differ in case", {Named("Doc.txt", "first"), Named("DOC.TXT", "second")}, false, "",
         ERROR_FILE_EXISTS, {{"Doc.txt", "first"}}},
        {"names that differ in separators", {Named("img/1.txt", "first"), Named("img\\1.txt", "second")}, false, "",
         ERROR_FILE_EXISTS, {{"img/1.txt", "first"}}},
        {"a name that an earlier entry's temporary file would take", {Named("x.TMP", "first"), Named("x", "second")},
         false, "", ERROR_FILE_EXISTS, {{"x.TMP", "first"}}},
        {"flagged names that are not UTF-8", {Named("\x84.txt", "a", kUtf8Flag), Named("\x94.txt", "o", kUtf8Flag)},
         false, "", ERROR_FILE_EXISTS, {{"\ufffd.txt", "a"}}},
    };
    Case many{"20,000 small files in 100 folders", {}, false, "", 0, {}};
    for (int i = 0; i < 20000; ++i) {
        const std::string name = "set" + std::to_string(i % 100) + "/" + std::to_string(i) + ".txt";
        many.entries.push_back(Named(name, std::to_string(i * 7)));
        many.entries.back().deflate = false;
        many.files[name] = std::to_string(i * 7);
    }
    cases.push_back(std::move(many));

    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const std::string archive = c.prefix + BuildZip(c.entries, {std::nullopt, c.zip64});
        ASSERT_EQ(RESULT_OK, unzip_->Open(Wide(WriteArchive("case.zip", archive)).c_str()));
        const std::string out = Folder("out");
        const OpResult result = unzip_->ExtractAll(Wide(out).c_str());
        EXPECT_EQ(c.error ? 0x930001u : 0u, Low(result));
        EXPECT_EQ(c.error, High(result));
        // Twenty thousand names are no message to print.
        const std::map<std::string, std::string> files = FilesBelow(out);
        if (c.files.size() < 10)
            EXPECT_EQ(c.files, files);
        else
            EXPECT_TRUE(files == c.files);
        std::filesystem::remove_all(out);
    }
}

TEST_F(UnzipFileTest, OpeningAgainReplacesTheOpenArchive)
{
    ASSERT_EQ(RESULT_OK, OpenBuilt({{"one.txt", "1"}}));
    const std::string second = BuildZip({{"two.txt", "2"}, {"three.txt", "3"}});
    ASSERT_EQ(RESULT_OK, unzip_->OpenMemory(second.data(), static_cast<DWORD>(second.size())));
    EXPECT_EQ(2, Entry(-1)->GetIndex());
}

} // namespace
