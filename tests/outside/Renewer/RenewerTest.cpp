// Renewer run as the main program runs it, from a program folder of the test's own holding the
// Update and download libraries, against a local HTTP server.
#include "LocalHttpServer.h"
#include "ZipBuilder.h"

#include "outside/Renewer/PackageInstall.h"
#include "outside/Renewer/StartupBlock.h"

#include "common/ProductFolder.h"
#include "common/RunProcess.h"
#include "platform/Machine.h"
#include "platform/Text.h"
#include "platform/Windows.h"
#include "support/OtherUser.h"
#include "support/TempMachine.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

using update_test::BuildZip;
using update_test::ZipEntrySpec;

std::vector<std::string> Requests()
{
    std::vector<std::string> lines;
    std::istringstream text(
        testing_support::ReadFile(platform::HostPath(L"C:\\ProgramData\\Orvane\\Renewer\\requests.log")));
    for (std::string line; std::getline(text, line);)
        lines.push_back(line);
    return lines;
}

// Where the main program looks for a downloaded update.
fs::path PackagePath()
{
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    return platform::HostPath(std::wstring(folder) + L"Orvane\\Quarnel\\Draviels.zip");
}

std::string WaitForFile(const std::string& path)
{
    testing_support::WaitUntil([&] { return fs::exists(path); });
    return testing_support::ReadFile(path);
}

// Every file below the folder with its content, by relative path.
std::map<std::string, std::string> Contents(const fs::path& folder)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file())
            files[fs::relative(entry.path(), folder).string()] = testing_support::ReadFile(entry.path().string());
    return files;
}

std::string Description(const std::string& build, const std::string& url, const std::string& config)
{
    return "[update]\r\nurl=" + url + "\r\ndes=Build " + build + "\r\nbuild=" + build + "\r\nforce=0\r\nconfig=" +
           config + "\r\n";
}

class RenewerTest : public testing::Test {
protected:
    void SetUp() override
    {
        programFolder_ = machine_.UseProgramFolder();
        // An administrator's machine: an elevated start is a plain one and asks nobody.
        machine_.WriteMachineIni("[Machine]\nAdministrator=1\n");
        for (const char* file : {"Renewer", "Update.so", "KyDownload.so"})
            testing_support::InstallFromBuild(testing_support::BuildProgramFolder() + "/" + file);
    }

    int Run(const std::wstring& words)
    {
        return RunProcess(platform::WindowsPath(programFolder_ + "/Renewer"), L"Renewer.exe" + words, true);
    }

    // A main program of the test's own that writes the arguments it was started with.
    std::string InstallMainProgram()
    {
        const std::string record = programFolder_ + "/quarnel-arguments";
        machine_.WriteFile("program/Quarnel", "#!/bin/sh\nfor a in \"$@\"; do printf '%s|' \"$a\"; done > '" + record +
                                                  ".part'\nmv '" + record + ".part' '" + record + "'\n");
        fs::permissions(programFolder_ + "/Quarnel", fs::perms::owner_all);
        return record;
    }

    // The installed description at build 1.0.0.1 names the server's, which offers the build with
    // the package.
    void Offer(const std::string& build, const std::string& package)
    {
        machine_.WriteFile("program/kyphtupdate.ini",
                           Description("1.0.0.1", server_.Url("/Draviels.zip"), server_.Url("/kyphtupdate.ini")));
        server_.Serve("/kyphtupdate.ini", {200, Description(build, server_.Url("/Draviels.zip"),
                                                            server_.Url("/kyphtupdate.ini"))});
        server_.Serve("/Draviels.zip", {200, package});
    }

    void PlaceDownloadedPackage(const std::string& bytes)
    {
        fs::create_directories(PackagePath().parent_path());
        machine_.WriteFile(fs::relative(PackagePath(), machine_.Root()).string(), bytes);
    }

    testing_support::TempMachine machine_;
    std::string programFolder_;
    update_test::LocalHttpServer server_;
};

TEST_F(RenewerTest, LaunchWordsStartTheMainProgramWithTheWord)
{
    const std::string record = InstallMainProgram();
    for (const std::wstring word : {L"autostart", L"autoscan", L""}) {
        fs::remove(record);
        ASSERT_EQ(0, Run(word.empty() ? L"" : L" " + word));
        EXPECT_EQ(word.empty() ? "" : platform::ToUtf8(word) + "|", WaitForFile(record));
    }
    const std::vector<std::string> requests = Requests();
    ASSERT_EQ(3u, requests.size());
    EXPECT_NE(std::string::npos, requests[0].find(" autostart"));
    EXPECT_NE(std::string::npos, requests[1].find(" autoscan"));
    EXPECT_NE(std::string::npos, requests[2].find(" (none)"));

    fs::remove(programFolder_ + "/Quarnel");
    EXPECT_NE(0, Run(L" autostart"));
    EXPECT_NE(std::string::npos, Requests().back().find("error"));
}

TEST_F(RenewerTest, WithoutRightsOnlyTheLogInStartRunsAsTheUser)
{
    if (access("/usr/bin/pkexec", X_OK) == 0)
        GTEST_SKIP() << "pkexec is installed here; it would ask for a password";
    const std::string record = InstallMainProgram();
    machine_.WriteMachineIni("[Machine]\nAdministrator=0\n");
    // Nothing can raise the rights here, and the program is not started without them.
    EXPECT_EQ(2, Run(L" autoscan"));
    EXPECT_NE(std::string::npos, Requests().back().find("administrator rights"));
    ASSERT_EQ(0, Run(L" autostart"));
    EXPECT_EQ("autostart|", WaitForFile(record));
}

TEST_F(RenewerTest, TheCopyWithRightsStartsOnceTheCopyThatAskedHasEnded)
{
    const std::string record = InstallMainProgram();
    // The asking copy still holds the instance.
    const HANDLE asking = CreateMutexW(nullptr, TRUE, L"Global\\ORVANE Draviels 1.0");
    ASSERT_NE(nullptr, asking);
    ASSERT_EQ(0, RunProcess(platform::WindowsPath(programFolder_ + "/Renewer"), L"Renewer.exe autoscan", false));
    std::this_thread::sleep_for(std::chrono::milliseconds(800));
    EXPECT_FALSE(fs::exists(record));
    ReleaseMutex(asking);
    CloseHandle(asking);
    EXPECT_EQ("autoscan|", WaitForFile(record));
}

TEST_F(RenewerTest, ALaunchLeavesTheMainProgramAFreshUpdateState)
{
    const std::string record = InstallMainProgram();
    Offer("1.0.0.2", BuildZip({{"a.dll", "a"}}));
    ASSERT_EQ(0, Run(L" autostart"));
    EXPECT_EQ("autostart|", WaitForFile(record));
    wchar_t state[16] = {};
    GetPrivateProfileStringW(L"cache", L"update", L"", state, 16, LocalCfgPath().c_str());
    EXPECT_STREQ(L"2", state);
    EXPECT_FALSE(fs::exists(PackagePath()));
}

TEST_F(RenewerTest, DownloadFetchesTheOfferedPackageWhole)
{
    const std::string package = BuildZip({{"a.dll", std::string(300000, 'z')}});
    Offer("1.0.0.2", package);
    ASSERT_EQ(0, Run(L" downloadupdate"));
    EXPECT_EQ(package, testing_support::ReadFile(PackagePath()));
    EXPECT_EQ(1, std::distance(fs::directory_iterator(PackagePath().parent_path()), fs::directory_iterator()));
}

TEST_F(RenewerTest, WithoutANewerBuildOrWholePackageNoPackageRemains)
{
    PlaceDownloadedPackage("stale");
    Offer("1.0.0.1", BuildZip({{"a.dll", "a"}}));
    EXPECT_EQ(3, Run(L" downloadupdate"));
    EXPECT_FALSE(fs::exists(PackagePath()));
    EXPECT_NE(std::string::npos, Requests().back().find("no newer update"));

    server_.Serve("/kyphtupdate.ini",
                  {200, Description("1.0.0.2", server_.Url("/missing.zip"), server_.Url("/kyphtupdate.ini"))});
    EXPECT_EQ(3, Run(L" downloadupdate"));
    EXPECT_FALSE(fs::exists(PackagePath()));
    EXPECT_NE(std::string::npos, Requests().back().find("missing.zip"));
}

TEST_F(RenewerTest, InstallStagesTheProgramFolderFilesAndPlacesTheRest)
{
    machine_.WriteFile("program/Quarnel", "#!/bin/sh\necho old\n");
    fs::permissions(programFolder_ + "/Quarnel", fs::perms::owner_all);
    machine_.WriteFile("program/a.dll", "old a");
    machine_.WriteFile("program/res/pic.png", "old picture");
    const std::string description = "[block]\r\nmain=0\r\n[update]\r\nbuild=1.0.0.1\r\n";
    machine_.WriteFile("program/kyphtupdate.ini", description);
    PlaceDownloadedPackage(BuildZip({{"Quarnel", "#!/bin/sh\necho new\n"},
                                     {"a.dll", "new a"},
                                     {"fresh.dll", "fresh"},
                                     {"res/pic.png", "new picture"},
                                     {"res/more/text.txt", "text"}}));

    ASSERT_EQ(0, Run(L" executeupdate"));
    // Beside the files of the program folder, for the next start to move in.
    EXPECT_EQ("#!/bin/sh\necho old\n", testing_support::ReadFile(programFolder_ + "/Quarnel"));
    EXPECT_EQ("#!/bin/sh\necho new\n", testing_support::ReadFile(programFolder_ + "/Quarnel.TMP"));
    EXPECT_EQ(fs::status(programFolder_ + "/Quarnel").permissions(),
              fs::status(programFolder_ + "/Quarnel.TMP").permissions());
    EXPECT_EQ("old a", testing_support::ReadFile(programFolder_ + "/a.dll"));
    EXPECT_EQ("new a", testing_support::ReadFile(programFolder_ + "/a.dll.TMP"));
    // New files and the files of sub-folders in their places at once.
    EXPECT_EQ("fresh", testing_support::ReadFile(programFolder_ + "/fresh.dll"));
    EXPECT_FALSE(fs::exists(programFolder_ + "/fresh.dll.TMP"));
    EXPECT_EQ("new picture", testing_support::ReadFile(programFolder_ + "/res/pic.png"));
    EXPECT_EQ("text", testing_support::ReadFile(programFolder_ + "/res/more/text.txt"));
    EXPECT_FALSE(fs::exists(programFolder_ + "/Renewer.staging"));
    EXPECT_FALSE(fs::exists(PackagePath()));
    // The start-up block is off again.
    EXPECT_EQ(description, testing_support::ReadFile(programFolder_ + "/kyphtupdate.ini"));
}

TEST_F(RenewerTest, ADamagedOrHostilePackageChangesNothing)
{
    machine_.WriteFile("program/a.dll", "old a");
    machine_.WriteFile("program/res/pic.png", "old picture");
    machine_.WriteFile("program/kyphtupdate.ini", "[block]\r\nmain=0\r\n");
    const std::map<std::string, std::string> before = Contents(programFolder_);

    ZipEntrySpec damaged("res/pic.png", std::string(40000, 'p'));
    damaged.crc = 0x12345678;
    const std::string whole = BuildZip({{"a.dll", "new a"}, {"fresh.dll", "fresh"}});
    for (const std::string& package : {BuildZip({{"a.dll", "new a"}, {"fresh.dll", "fresh"}, damaged}),
                                       BuildZip({{"fresh.dll", "fresh"}, {"../outside.txt", "escaped"}}),
                                       BuildZip({{"Renewer.staging/a.dll", "into the staging"}}),
                                       BuildZip({{"fresh.dll", "fresh"}, {"res", "a file for the folder"}}),
                                       whole.substr(0, whole.size() - 10), std::string("not an archive")}) {
        PlaceDownloadedPackage(package);
        EXPECT_EQ(4, Run(L" executeupdate"));
        EXPECT_EQ(before, Contents(programFolder_));
        EXPECT_NE(std::string::npos, Requests().back().find("error"));
    }
    EXPECT_FALSE(fs::exists(fs::path(programFolder_).parent_path() / "outside.txt"));

    fs::remove(PackagePath());
    EXPECT_EQ(4, Run(L" executeupdate"));
    EXPECT_EQ(before, Contents(programFolder_));
}

TEST_F(RenewerTest, ALinkWhereTheStagingFolderIsRemovedItselfAndNeverFollowed)
{
    const fs::path documents = fs::path(machine_.Root()) / "drive_c/Users/Owner/Documents";
    machine_.WriteFile("drive_c/Users/Owner/Documents/letter.doc", "letter");
    machine_.WriteFile("drive_c/Users/Owner/Documents/old/notes.txt", "notes");
    const std::map<std::string, std::string> kept = Contents(documents);
    const fs::path staging = fs::path(programFolder_) / "Renewer.staging";
    // Left by an install cut short: the staging folder itself a link to the documents, or a real
    // one holding a read-only file and, deep down, such a link.
    for (const bool stagingIsLink : {true, false}) {
        SCOPED_TRACE(stagingIsLink ? "the staging folder is a link" : "a link inside the staging folder");
        fs::remove_all(programFolder_ + "/fresh.dll");
        if (stagingIsLink) {
            fs::create_directory_symlink(documents, staging);
        } else {
            machine_.WriteFile("program/Renewer.staging/res/old.png", "left");
            fs::permissions(staging / "res/old.png", fs::perms::owner_write | fs::perms::group_write |
                            fs::perms::others_write, fs::perm_options::remove);
            fs::create_directories(staging / "deep/er");
            fs::create_directory_symlink(documents, staging / "deep/er/res");
        }
        PlaceDownloadedPackage(BuildZip({{"fresh.dll", "fresh"}}));
        ASSERT_EQ(0, Run(L" executeupdate"));
        EXPECT_EQ(kept, Contents(documents));
        EXPECT_FALSE(fs::exists(fs::symlink_status(staging)));
        EXPECT_EQ("fresh", testing_support::ReadFile(programFolder_ + "/fresh.dll"));
    }
}

// The other user owns the machine folder and the program folder, as a user owns their data folder,
// and swaps the staging folder for a link to a folder of root's in the machine: before the install
// makes it, or once it is made. The elevated install never writes into root's folder: it refuses
// a name it did not make, and unpacks and places from the folder it made and holds.
TEST_F(RenewerTest, AnotherUsersLinkAtTheStagingFolderNeverLeadsTheInstall)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root, to drop a child to another user";
    machine_.WriteFile("program/a.dll", "old a");
    const fs::path roots = fs::path(machine_.Root()) / "drive_c/Windows/System32/config";
    machine_.WriteFile("drive_c/Windows/System32/config/SYSTEM", "root's");
    testing_support::GiveToOtherUser(machine_.Root());
    for (const fs::path& path : {roots.parent_path(), roots, roots / "SYSTEM"})
        ASSERT_EQ(0, lchown(path.c_str(), 0, 0));
    const std::map<std::string, std::string> kept = Contents(roots);
    const std::string staging = programFolder_ + "/Renewer.staging";
    const struct {
        const char* what;
        InstallStep step;
        bool installs;
    } cases[] = {
        {"a link planted before the staging folder is made", InstallStep::StagingRemoved, false},
        {"the staging folder swapped for a link once made", InstallStep::StagingMade, true},
    };
    for (const auto& one : cases) {
        SCOPED_TRACE(one.what);
        PlaceDownloadedPackage(BuildZip({{"a.dll", "new a"}, {"res/pic.png", "picture"}}));
        bool planted = false;
        SetInstallStepHook([&](InstallStep step) {
            if (step == one.step)
                planted = testing_support::AsOtherUser([&] {
                    std::error_code error;
                    if (step == InstallStep::StagingMade)
                        fs::rename(staging, staging + ".away", error);
                    if (!error)
                        fs::create_directory_symlink(roots, staging, error);
                    return !error;
                });
        });
        const std::string failure =
            InstallUpdatePackage(platform::WindowsPath(PackagePath().string()), platform::WindowsPath(programFolder_) + L"\\");
        SetInstallStepHook(nullptr);
        EXPECT_TRUE(planted);
        EXPECT_EQ(kept, Contents(roots));
        EXPECT_EQ(one.installs, failure.empty()) << failure;
        if (one.installs) {
            EXPECT_EQ("new a", testing_support::ReadFile(programFolder_ + "/a.dll.TMP"));
            EXPECT_EQ("picture", testing_support::ReadFile(programFolder_ + "/res/pic.png"));
            EXPECT_TRUE(fs::is_empty(staging + ".away"));
        } else {
            EXPECT_NE(std::string::npos, failure.find("the staging folder cannot be made")) << failure;
            EXPECT_FALSE(fs::exists(programFolder_ + "/a.dll.TMP"));
        }
        EXPECT_EQ("old a", testing_support::ReadFile(programFolder_ + "/a.dll"));
        for (const std::string& left : {staging, staging + ".away", programFolder_ + "/a.dll.TMP", programFolder_ + "/res"})
            fs::remove_all(left);
    }
}

// A main program of the machine's process list, as the user would start it.
PROCESS_INFORMATION StartMainProgram(const std::string& programFolder)
{
    std::wstring commandLine = L"Quarnel.exe";
    STARTUPINFOW startup {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process {};
    EXPECT_TRUE(CreateProcessW((platform::WindowsPath(programFolder) + L"\\Quarnel.exe").c_str(), commandLine.data(),
                               nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
    return process;
}

TEST_F(RenewerTest, CopiesStartedWhileTheBlockIsSetEndWithIt)
{
    machine_.WriteFile("program/Quarnel", "#!/bin/sh\nexec sleep 30\n");
    fs::permissions(programFolder_ + "/Quarnel", fs::perms::owner_all);
    const std::wstring description = platform::WindowsPath(programFolder_) + L"\\kyphtupdate.ini";
    const PROCESS_INFORMATION running = StartMainProgram(programFolder_);

    std::optional<CStartupBlock> block(std::in_place, description);
    ASSERT_TRUE(block->IsSet());
    EXPECT_EQ(1u, GetPrivateProfileIntW(L"block", L"main", 0, description.c_str()));
    const PROCESS_INFORMATION idle = StartMainProgram(programFolder_);
    block.reset();

    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(idle.hProcess, 10000));
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(running.hProcess, 0));
    wchar_t value[16] = {};
    EXPECT_EQ(0u, GetPrivateProfileStringW(L"block", L"main", L"", value, 16, description.c_str()));
    for (const PROCESS_INFORMATION& process : {running, idle}) {
        TerminateProcess(process.hProcess, 0);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
}

TEST_F(RenewerTest, OtherWordsAreRefused)
{
    EXPECT_NE(0, Run(L" reboot"));
    EXPECT_NE(0, Run(L" autostart autoscan"));
    const std::vector<std::string> requests = Requests();
    ASSERT_EQ(4u, requests.size());
    EXPECT_NE(std::string::npos, requests[0].find(" reboot"));
    EXPECT_NE(std::string::npos, requests[1].find("error"));
    EXPECT_NE(std::string::npos, requests[3].find("error"));
}

} // namespace
