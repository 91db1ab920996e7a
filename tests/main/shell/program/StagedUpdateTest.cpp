#include "StagedUpdate.h"

#include "platform/Machine.h"
#include "platform/Windows.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;
using testing_support::ReadFile;

namespace {

class StagedUpdateTest : public testing::Test {
protected:
    void SetUp() override { folder_ = machine_.UseProgramFolder(); }

    std::string Put(const std::string& name, const std::string& content)
    {
        return machine_.WriteFile("program/" + name, content);
    }
    bool Exists(const std::string& name) const { return fs::exists(fs::symlink_status(folder_ + "/" + name)); }
    std::string Content(const std::string& name) const { return ReadFile(folder_ + "/" + name); }
    void Finish() { FinishStagedUpdate(platform::WindowsPath(folder_)); }

    testing_support::TempMachine machine_;
    std::string folder_;
};

TEST_F(StagedUpdateTest, StagedFilesReplaceTheirTargetsAndBackupsGo)
{
    Put("a.dll", "old a");
    Put("a.dll.TMP", "new a");
    Put("b.dll.old", "left from before");
    Put("Quarnel.exe", "old program");
    Put("Quarnel.exe.tmp", "new program");
    Finish();
    EXPECT_EQ("new a", Content("a.dll"));
    EXPECT_EQ("new program", Content("Quarnel.exe"));
    for (const char* gone : {"a.dll.TMP", "a.dll.old", "b.dll.old", "Quarnel.exe.tmp", "Quarnel.exe.old"})
        EXPECT_FALSE(Exists(gone)) << gone;
}

TEST_F(StagedUpdateTest, StagedFileWithoutTargetStays)
{
    Put("new.dll.TMP", "staged");
    Finish();
    EXPECT_EQ("staged", Content("new.dll.TMP"));
    EXPECT_FALSE(Exists("new.dll"));
}

TEST_F(StagedUpdateTest, BareTmpNameIsNoUpdate)
{
    Put(".TMP", "not staged");
    Put("keep.txt", "kept");
    Finish();
    EXPECT_EQ("not staged", Content(".TMP"));
    EXPECT_EQ("kept", Content("keep.txt"));
    EXPECT_TRUE(fs::is_directory(folder_));
    EXPECT_FALSE(Exists(".old"));
}

TEST_F(StagedUpdateTest, JunctionNamedOldIsNeitherDeletedNorFollowed)
{
    const std::string elsewhere = machine_.Root() + "/elsewhere";
    fs::create_directories(elsewhere);
    machine_.WriteFile("elsewhere/inside.old", "outside the program folder");
    fs::create_directory_symlink(elsewhere, folder_ + "/link.old");
    Finish();
    EXPECT_TRUE(fs::is_symlink(folder_ + "/link.old"));
    EXPECT_EQ("outside the program folder", ReadFile(elsewhere + "/inside.old"));
}

TEST_F(StagedUpdateTest, ProgramFileIsNeverLostWhenTheNewOneCannotMoveIn)
{
    Put("core.dll", "working core");
    const std::string staged = Put("core.dll.TMP", "new core");
    // Held open without delete sharing, the staged file cannot be moved.
    const HANDLE held = CreateFileW(platform::WindowsPath(staged).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    Finish();
    CloseHandle(held);
    EXPECT_EQ("working core", Content("core.dll"));
    EXPECT_EQ("new core", Content("core.dll.TMP"));
    EXPECT_FALSE(Exists("core.dll.old"));

    // The next start finishes it.
    Finish();
    EXPECT_EQ("new core", Content("core.dll"));
    EXPECT_FALSE(Exists("core.dll.TMP"));
}

TEST_F(StagedUpdateTest, EmptyOrMissingFolderChangesNothing)
{
    Finish();
    FinishStagedUpdate(platform::WindowsPath(folder_ + "/missing"));
    EXPECT_TRUE(fs::is_empty(folder_));
}

} // namespace
