// The removal of a rule's findings on files and folders that another process changed after the
// analysis: a file with the same name, size and times but another file index, and a folder swapped
// for a link to a folder holding files alike, both stay with everything they hold.
#include "JunkMachine.h"

#include "outside/Dregsweep/FolderWalk.h"
#include "outside/Dregsweep/JunkRemoval.h"
#include "outside/Dregsweep/RuleFolders.h"

#include "platform/Windows.h"

#include <filesystem>

namespace dregsweep_test {

namespace {

namespace fs = std::filesystem;

const std::wstring kFolder = L"C:\\junk";

class RemovalTest : public JunkMachine {
protected:
    // Walks C:\junk with a rule that takes every file below it.
    JunkFindings Analyse()
    {
        JunkRule rule;
        rule.folder = kFolder;
        rule.recurse = true;
        JunkFindings findings;
        const std::vector<FolderChain> folders = rule_folders::Resolve(kFolder);
        EXPECT_EQ(1u, folders.size());
        for (const FolderChain& folder : folders)
            EXPECT_TRUE(CFolderWalk(rule, 0, [] { return true; }).Walk(folder, findings));
        return findings;
    }

    // The host keeps a file's birth time to itself, so a file alike cannot be made to have the
    // same creation time: the findings take the newcomer's instead, and then its name, size and
    // times all agree with what the analysis found; only its file index does not.
    static void TakeTimesOf(const std::wstring& path, FoundFile& file)
    {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        ASSERT_TRUE(GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data));
        file.creation = data.ftCreationTime;
        file.lastWrite = data.ftLastWriteTime;
        ASSERT_EQ(file.size, (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
    }

    FoundFile& Named(JunkFindings& findings, const std::wstring& name)
    {
        for (FoundFile& file : findings.files)
            if (file.name == name)
                return file;
        ADD_FAILURE() << "not found";
        return findings.files.front();
    }
};

TEST_F(RemovalTest, AFileAlikeInNameSizeAndTimesButAnotherFileStays)
{
    Plant("junk/a.tmp", 100);
    Plant("junk/b.tmp", 120);
    JunkFindings findings = Analyse();
    ASSERT_EQ(2u, findings.files.size());
    fs::rename(HostPath("junk/a.tmp"), HostPath("elsewhere.tmp"));
    Plant("junk/a.tmp", 100);
    TakeTimesOf(kFolder + L"\\a.tmp", Named(findings, L"a.tmp"));

    const CJunkRemoval::Outcome outcome = CJunkRemoval([] { return true; }).Remove(findings);
    EXPECT_TRUE(Exists("junk/a.tmp"));
    EXPECT_TRUE(Exists("elsewhere.tmp"));
    EXPECT_FALSE(Exists("junk/b.tmp"));
    EXPECT_EQ(1u, outcome.removedFiles);
    EXPECT_EQ(120u, outcome.removedSize);
    EXPECT_EQ(1u, outcome.skippedFiles);
    ASSERT_EQ(1u, findings.files.size());
    EXPECT_EQ(100u, findings.size);
}

TEST_F(RemovalTest, AFolderSwappedForALinkStaysWithWhatItsTargetHolds)
{
    for (const char* name : {"f1", "f2", "f3"}) {
        Plant(std::string("junk/sub/") + name, 10);
        Plant(std::string("docs/") + name, 10);
    }
    Plant("junk/top.tmp", 5);
    JunkFindings findings = Analyse();
    ASSERT_EQ(4u, findings.files.size());
    fs::rename(HostPath("junk/sub"), HostPath("sub-away"));
    fs::create_directory_symlink(HostPath("docs"), HostPath("junk/sub"));
    for (FoundFile& file : findings.files)
        if (file.name != L"top.tmp")
            TakeTimesOf(kFolder + L"\\sub\\" + file.name, file);

    const CJunkRemoval::Outcome outcome = CJunkRemoval([] { return true; }).Remove(findings);
    for (const char* name : {"f1", "f2", "f3"}) {
        EXPECT_TRUE(Exists(std::string("docs/") + name));
        EXPECT_TRUE(Exists(std::string("sub-away/") + name));
    }
    EXPECT_TRUE(fs::is_symlink(HostPath("junk/sub")));
    EXPECT_FALSE(Exists("junk/top.tmp"));
    EXPECT_EQ(1u, outcome.removedFiles);
    EXPECT_EQ(5u, outcome.removedSize);
    EXPECT_EQ(3u, findings.files.size());
}

} // namespace

} // namespace dregsweep_test
