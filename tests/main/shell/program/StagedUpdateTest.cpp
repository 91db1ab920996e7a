#include "StagedUpdate.h"

#include "platform/Machine.h"
#include "platform/Windows.h"
#include "support/TempMachine.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <map>
#include <thread>

#include <csignal>
#include <spawn.h>
#include <sys/wait.h>

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

    using Files = std::map<std::string, std::string>;
    // Every file of the folder with its content.
    Files Contents() const
    {
        Files files;
        for (const auto& entry : fs::directory_iterator(folder_))
            files[entry.path().filename().string()] = ReadFile(entry.path().string());
        return files;
    }

    // A process of its own that finishes the update.
    pid_t StartChild() const
    {
        const char* const argv[] = {STAGED_UPDATE_RUN_PATH, folder_.c_str(), nullptr};
        pid_t child = 0;
        EXPECT_EQ(0, posix_spawn(&child, argv[0], nullptr, nullptr, const_cast<char* const*>(argv), environ));
        return child;
    }
    static int EndOfChild(pid_t child)
    {
        int status = 0;
        waitpid(child, &status, 0);
        return status;
    }

    testing_support::TempMachine machine_;
    std::string folder_;
};

TEST_F(StagedUpdateTest, StagedFilesReplaceTheirTargetsAndBackupsGo)
{
    Put("a.dll", "old a");
    Put("a.dll.TMP", "new a");
    Put("b.dll", "b");
    Put("b.dll.old", "left from before");
    Put("Quarnel.exe", "old program");
    Put("Quarnel.exe.tmp", "new program");
    Finish();
    EXPECT_EQ("new a", Content("a.dll"));
    EXPECT_EQ("b", Content("b.dll"));
    EXPECT_EQ("new program", Content("Quarnel.exe"));
    for (const char* gone : {"a.dll.TMP", "a.dll.old", "b.dll.old", "Quarnel.exe.tmp", "Quarnel.exe.old"})
        EXPECT_FALSE(Exists(gone)) << gone;
}

// An update that moved the old file aside before moving the new one in, killed in between, left
// the backup and maybe the new file, but no file of the name. One start ends with the file whole
// (the new one where it is there), and the backup is never deleted as the only copy. (A backup
// beside its file, and a new file beside the old, are the states of the test above.)
TEST_F(StagedUpdateTest, AFileMovedAsideByAKilledUpdateIsPutBackAtTheNextStart)
{
    for (const auto& [name, content] : Files{{"a.dll.old", "old a"}, {"a.dll.TMP", "new a"}, {"d.dll.old", "old d"}})
        Put(name, content);
    Finish();
    EXPECT_EQ((Files{{"a.dll", "new a"}, {"d.dll", "old d"}}), Contents());
}

// Each round starts the finishing of staged files in a process of its own and kills it at a random
// instant of its work; the next start must find every file whole.
TEST_F(StagedUpdateTest, KillsAtRandomInstantsNeverLoseAProgramFile)
{
    constexpr int kFiles = 120;
    constexpr int kRounds = 14;
    const auto stage = [&] {
        // Emptied, not made anew: the layer holds the program folder it found.
        for (const auto& entry : fs::directory_iterator(folder_))
            fs::remove(entry.path());
        for (int i = 0; i < kFiles; ++i) {
            std::ofstream(folder_ + "/f" + std::to_string(i) + ".dll") << "old " << i;
            std::ofstream(folder_ + "/f" + std::to_string(i) + ".dll.TMP") << "new " << i;
        }
    };
    const auto everyFileIsNew = [&] {
        for (int i = 0; i < kFiles; ++i)
            if (Content("f" + std::to_string(i) + ".dll") != "new " + std::to_string(i))
                return "f" + std::to_string(i) + ".dll";
        return std::string();
    };
    // The first file the run replaces: its staged file gone, the run is at work.
    const auto atWork = [&] { return !Exists("f0.dll.TMP"); };
    stage();
    const pid_t measured = StartChild();
    ASSERT_TRUE(testing_support::WaitUntil(atWork));
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(0, EndOfChild(measured));
    const auto work = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
    ASSERT_EQ("", everyFileIsNew());

    std::mt19937 random(std::random_device {}());
    int halfWay = 0;
    for (int round = 0; round < kRounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        stage();
        const pid_t child = StartChild();
        ASSERT_TRUE(testing_support::WaitUntil(atWork));
        std::this_thread::sleep_for(std::chrono::microseconds(std::uniform_int_distribution<long>(0, work.count())(random)));
        kill(child, SIGKILL);
        EndOfChild(child);
        halfWay += Contents().size() != kFiles;
        Finish();
        ASSERT_EQ("", everyFileIsNew());
        ASSERT_EQ(static_cast<size_t>(kFiles), Contents().size());
    }
    std::printf("%d of %d kills landed half-way through %lld microseconds of work\n", halfWay, kRounds,
                static_cast<long long>(work.count()));
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
