// Renewer run as the main program runs it, from a program folder of the test's own holding the
// Update and download libraries, against a local HTTP server.
#include "LocalHttpServer.h"
#include "ZipBuilder.h"

#include "PackageFolder.h"
#include "PackageInstall.h"
#include "StartupBlock.h"

#include "common/ProductFolder.h"
#include "common/RunProcess.h"
#include "platform/Machine.h"
#include "platform/Text.h"
#include "platform/Windows.h"
#include "support/OtherUser.h"
#include "support/SmallDisk.h"
#include "support/TempMachine.h"
#include "support/UsersMachine.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <functional>
#include <fstream>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <sha2.h>
#include <spawn.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/wait.h>
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

std::string Digest(const std::string& bytes)
{
    char hex[SHA256_DIGEST_STRING_LENGTH];
    return SHA256Data(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), hex);
}

std::string WaitForFile(const std::string& path)
{
    testing_support::WaitUntil([&] { return fs::exists(path); });
    return testing_support::ReadFile(path);
}

// Every file below the folder with its content, by relative path; below a program folder, without
// the programs the test installed, the downloaded package and its digest, and what the test's main
// program records.
std::map<std::string, std::string> Contents(const fs::path& folder)
{
    // The programs, and the record the test's main program writes as it starts, which it may be
    // writing still.
    static const std::set<std::string> kLeftOut {"Renewer", "Update.so", "KyDownload.so", "Quarnel", "quarnel-arguments",
                                                 "quarnel-arguments.part"};
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        const std::string name = fs::relative(entry.path(), folder).string();
        if (entry.is_regular_file() && !kLeftOut.count(name) && entry.path().parent_path().filename() != "Renewer.download")
            files[name] = testing_support::ReadFile(entry.path().string());
    }
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

    // Where the main program looks for a downloaded update.
    std::string PackagePath() const { return programFolder_ + "/Renewer.download/Draviels.zip"; }
    std::wstring ProgramFolder() const { return platform::WindowsPath(programFolder_) + L"\\"; }

    // A main program of the test's own that writes the arguments it was started with; started
    // without any, it then idles where idleWithoutWords is set.
    std::string InstallMainProgram(bool idleWithoutWords = false)
    {
        const std::string record = programFolder_ + "/quarnel-arguments";
        machine_.WriteFile("program/Quarnel", "#!/bin/sh\nfor a in \"$@\"; do printf '%s|' \"$a\"; done > '" + record +
                                                  ".part'\nmv '" + record + ".part' '" + record + "'\n" +
                                                  (idleWithoutWords ? "[ $# -eq 0 ] && exec sleep 60\n" : ""));
        fs::permissions(programFolder_ + "/Quarnel", fs::perms::owner_all);
        return record;
    }

    // The installed description at build 1.0.0.1 names the server's, which offers the build with
    // the package.
    void Offer(const std::string& build, const std::string& package)
    {
        std::ofstream(programFolder_ + "/kyphtupdate.ini", std::ios::binary)
            << Description("1.0.0.1", server_.Url("/Draviels.zip"), server_.Url("/kyphtupdate.ini"));
        server_.Serve("/kyphtupdate.ini", {200, Description(build, server_.Url("/Draviels.zip"),
                                                            server_.Url("/kyphtupdate.ini"))});
        server_.Serve("/Draviels.zip", {200, package});
    }

    // The package as a download leaves it, its digest recorded.
    void PlaceDownloadedPackage(const std::string& bytes)
    {
        const CPackageFolder folder(ProgramFolder(), true);
        ASSERT_EQ("", folder.Failure());
        ASSERT_EQ("", folder.Clear());
        std::ofstream(platform::HostPath(folder.LandingPath()), std::ios::binary) << bytes;
        ASSERT_EQ("", folder.Record());
    }

    std::string Block(const wchar_t* key) const
    {
        wchar_t value[64] = {};
        GetPrivateProfileStringW(L"block", key, L"", value, 64, (ProgramFolder() + L"kyphtupdate.ini").c_str());
        return platform::ToUtf8(value);
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
    // Its digest beside it, and the description that offered it, and nothing else.
    EXPECT_EQ(Digest(package) + "\n", testing_support::ReadFile(programFolder_ + "/Renewer.download/Draviels.sha256"));
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(fs::path(PackagePath()).parent_path()))
        names.insert(entry.path().filename().string());
    EXPECT_EQ((std::set<std::string> {"Draviels.sha256", "Draviels.zip", "kyphtupdate.ini"}), names);
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
            InstallUpdatePackage(ProgramFolder());
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
    EXPECT_EQ("0", Block(L"main"));
    EXPECT_EQ("", Block(L"owner"));
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

// As in an installed product, the program folder and every folder above it are root's (here one
// outside the machine); the machine folder, the user's Temp among it, belongs to the other user,
// who plants a package there, where the main program used to look, and tries the download folder.
// Root installs neither; a package it downloaded it does.
TEST_F(RenewerTest, RootInstallsOnlyAPackageItDownloadedNeverOneAnotherUserPlanted)
{
    if (!testing_support::WhyNotAsOtherUser().empty())
        GTEST_SKIP() << testing_support::WhyNotAsOtherUser();
    std::string roots = "/tmp/quarnel-program-XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(roots.data()));
    const struct Removal {
        std::string folder;
        ~Removal()
        {
            std::error_code ignored;
            fs::remove_all(folder, ignored);
        }
    } removal {roots};
    fs::permissions(roots, fs::perms(0755));
    for (const char* file : {"Renewer", "Update.so", "KyDownload.so"})
        fs::copy_file(programFolder_ + "/" + file, roots + "/" + file);
    programFolder_ = roots;
    platform::SetProgramFolder(programFolder_);
    setenv("QUARNEL_PROGRAM_FOLDER", programFolder_.c_str(), 1);
    std::ofstream(programFolder_ + "/a.dll") << "old a";

    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::string planted = platform::HostPath(std::wstring(temp) + L"Orvane\\Quarnel\\Draviels.zip");
    fs::create_directories(fs::path(planted).parent_path());
    const std::string package = BuildZip({{"a.dll", "the other user's a"}});
    const std::string downloadFolder = programFolder_ + "/Renewer.download";
    const std::string intoDownloads = downloadFolder + "/Draviels.zip";
    testing_support::GiveToOtherUser(machine_.Root());
    const auto plant = [&package](const std::string& path) {
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const bool written = fd >= 0 && write(fd, package.data(), package.size()) == static_cast<ssize_t>(package.size());
        if (fd >= 0)
            close(fd);
        return written;
    };
    EXPECT_TRUE(testing_support::AsOtherUser([&] { return plant(planted); }));
    EXPECT_FALSE(testing_support::AsOtherUser([&] { return mkdir(downloadFolder.c_str(), 0777) == 0 || plant(intoDownloads); }));
    const std::map<std::string, std::string> before = Contents(programFolder_);

    EXPECT_EQ(4, Run(L" executeupdate"));
    EXPECT_EQ(before, Contents(programFolder_));
    EXPECT_NE(std::string::npos, Requests().back().find("no package has been downloaded"));

    Offer("1.0.0.2", BuildZip({{"a.dll", "new a"}}));
    ASSERT_EQ(0, Run(L" downloadupdate"));
    ASSERT_EQ(0, Run(L" executeupdate"));
    EXPECT_EQ("new a", testing_support::ReadFile(programFolder_ + "/a.dll.TMP"));
    EXPECT_EQ(package, testing_support::ReadFile(planted));
}

// The package is read once, through one handle that no link leads, and installed only with the
// digest recorded when it was downloaded.
TEST_F(RenewerTest, APackageIsInstalledOnlyWithTheDigestItsDownloadRecorded)
{
    machine_.WriteFile("program/a.dll", "old a");
    const std::string package = BuildZip({{"a.dll", "new a"}});
    const std::string elsewhere = machine_.WriteFile("drive_c/elsewhere.zip", package);
    const std::map<std::string, std::string> before = Contents(programFolder_);
    const struct {
        const char* what;
        std::function<void()> spoil;
    } cases[] = {
        {"the bytes changed since", [&] { std::ofstream(PackagePath(), std::ios::app) << "more"; }},
        {"no digest", [&] { fs::remove(programFolder_ + "/Renewer.download/Draviels.sha256"); }},
        {"a link at the package's name", [&] {
             fs::remove(PackagePath());
             fs::create_symlink(elsewhere, PackagePath());
         }},
    };
    for (const auto& one : cases) {
        SCOPED_TRACE(one.what);
        PlaceDownloadedPackage(package);
        one.spoil();
        EXPECT_EQ(4, Run(L" executeupdate"));
        EXPECT_EQ(before, Contents(programFolder_));
    }
    PlaceDownloadedPackage(package);
    ASSERT_EQ(0, Run(L" executeupdate"));
    EXPECT_EQ("new a", testing_support::ReadFile(programFolder_ + "/a.dll.TMP"));
}

// The machine's user, who owns the machine folder, puts a description of their own in place of
// each one that arrives in their local application data, where an elevated check once fetched the
// description it then read and installed: its "url" names the package root downloads, its "config"
// where the next check looks. The elevated check fetches where only root writes, so the user never
// sees the description between its fetch and its use.
TEST(RenewerElevatedTest, AnElevatedCheckUsesNoDescriptionTheUserCouldSwap)
{
    if (const std::string why = testing_support::WhyNotAsOtherUser(); !why.empty())
        GTEST_SKIP() << why;
    update_test::LocalHttpServer server;
    const testing_support::CUsersMachine machine;
    const std::string program = machine.ProgramFolder();
    for (const char* file : {"Renewer", "Update.so", "KyDownload.so"})
        fs::copy_file(testing_support::BuildProgramFolder() + "/" + file, program + "/" + file);
    const std::string package = server.Url("/Draviels.zip");
    std::ofstream(program + "/kyphtupdate.ini", std::ios::binary)
        << "[block]\r\nmain=0\r\n" << Description("1.0.0.1", package, server.Url("/kyphtupdate.ini"));
    const std::string offered = Description("1.0.0.1", package, server.Url("/next.ini"));
    server.Serve("/kyphtupdate.ini", {200, offered});

    wchar_t appData[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, appData);
    const std::string users = platform::HostPath(std::wstring(appData) + L"\\Orvane\\Quarnel");
    fs::create_directories(users);
    testing_support::GiveToOtherUser(machine.Root());
    const std::string swapped = users + "/kyphtupdate.ini";
    const std::string draft = users + "/swap.draft";
    const std::string own = Description("1.0.0.1", "http://127.0.0.1:1/users.zip", "http://127.0.0.1:1/users.ini");
    int ready[2];
    int stop[2];
    ASSERT_EQ(0, pipe(ready));
    ASSERT_EQ(0, pipe(stop));
    // The user swaps each arriving description at once and keeps doing so until told to stop; the
    // child says whether it never had one to swap.
    bool neverSwapped = false;
    std::thread user([&] {
        neverSwapped = testing_support::AsOtherUser([&] {
            const int watch = inotify_init1(IN_CLOEXEC);
            if (watch < 0 || inotify_add_watch(watch, users.c_str(), IN_MOVED_TO | IN_CLOSE_WRITE) < 0 ||
                write(ready[1], "r", 1) != 1)
                return false;
            int swaps = 0;
            for (;;) {
                pollfd waits[2] = {{watch, POLLIN, 0}, {stop[0], POLLIN, 0}};
                if (poll(waits, 2, -1) < 0 || (waits[1].revents & POLLIN))
                    break;
                alignas(inotify_event) char events[4096];
                const ssize_t length = read(watch, events, sizeof events);
                for (ssize_t at = 0; at < length;) {
                    const auto* event = reinterpret_cast<const inotify_event*>(events + at);
                    if (event->len && std::string(event->name) == "kyphtupdate.ini") {
                        const int fd = open(draft.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
                        if (fd >= 0 && write(fd, own.data(), own.size()) == static_cast<ssize_t>(own.size()) &&
                            rename(draft.c_str(), swapped.c_str()) == 0)
                            ++swaps;
                        if (fd >= 0)
                            close(fd);
                    }
                    at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
                }
            }
            return swaps == 0;
        });
    });
    char signal = 0;
    const bool watching = read(ready[0], &signal, 1) == 1;
    const int exitCode = watching ? machine.RunAsRoot({program + "/Renewer", "downloadupdate"}) : -1;
    EXPECT_EQ(1, write(stop[1], "s", 1));
    user.join();
    for (const int fd : {ready[0], ready[1], stop[0], stop[1]})
        close(fd);
    ASSERT_TRUE(watching);
    EXPECT_EQ(3, exitCode) << "no newer build is offered";
    EXPECT_TRUE(neverSwapped) << "a description arrived where the user writes";
    EXPECT_EQ("[block]\r\nmain=0\r\n" + offered, testing_support::ReadFile(program + "/kyphtupdate.ini"));
    struct stat fetched {};
    ASSERT_EQ(0, lstat((program + "/Renewer.download/kyphtupdate.ini").c_str(), &fetched));
    EXPECT_EQ(0u, fetched.st_uid);
    EXPECT_EQ((std::vector<std::string>{"/kyphtupdate.ini"}), server.RequestedPaths());
}

class RenewerKillTest : public RenewerTest {
protected:
    // The install of the downloaded package in a process of its own, killed as it reaches the
    // step for the count-th time; whether it was killed.
    bool InstallKilledAt(const char* step, int count) const
    {
        const std::string times = std::to_string(count);
        const char* const argv[] = {INSTALL_KILLED_AT_PATH, programFolder_.c_str(), step, times.c_str(), nullptr};
        pid_t child = 0;
        int status = 0;
        return posix_spawn(&child, argv[0], nullptr, nullptr, const_cast<char* const*>(argv), environ) == 0 &&
               waitpid(child, &status, 0) == child && WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    }

    // The program folder before the update: a file of its own, pictures in a sub-folder and one
    // further down.
    void PutOldFiles()
    {
        for (const char* made : {"a.dll.TMP", "fresh.dll", "res/added.png"})
            fs::remove(programFolder_ + "/" + made);
        machine_.WriteFile("program/a.dll", "old a");
        machine_.WriteFile("program/res/pic.png", "old picture");
        machine_.WriteFile("program/res/more/text.txt", "old text");
        machine_.WriteFile("program/kyphtupdate.ini", "[block]\r\nmain=0\r\n");
        PlaceDownloadedPackage(BuildZip({{"a.dll", "new a"},
                                         {"fresh.dll", "fresh"},
                                         {"res/pic.png", "new picture"},
                                         {"res/more/text.txt", "new text"},
                                         {"res/added.png", "added"}}));
    }

    const std::map<std::string, std::string> kInstalled {{"a.dll", "old a"},
                                                          {"a.dll.TMP", "new a"},
                                                          {"fresh.dll", "fresh"},
                                                          {"kyphtupdate.ini", "[block]\r\nmain=0\r\n"},
                                                          {"res/added.png", "added"},
                                                          {"res/more/text.txt", "new text"},
                                                          {"res/pic.png", "new picture"}};
};

// An install killed after its block was set: the next launch, and the next install, find the
// block's owner gone, undo what it placed, take the block off and end the main program's copy that
// idled on it, and go on.
TEST_F(RenewerKillTest, AKilledInstallHoldsUpNeitherTheNextLaunchNorTheNextInstall)
{
    const std::string record = InstallMainProgram(true);
    for (const bool launchFirst : {true, false}) {
        SCOPED_TRACE(launchFirst ? "a launch comes next" : "an install comes next");
        PutOldFiles();
        fs::remove(platform::HostPath(L"C:\\ProgramData\\Orvane\\Renewer\\requests.log"));
        const std::map<std::string, std::string> before = Contents(programFolder_);
        ASSERT_TRUE(InstallKilledAt("Placed", 2));
        EXPECT_EQ("1", Block(L"main"));
        const PROCESS_INFORMATION idle = StartMainProgram(programFolder_);
        ASSERT_TRUE(testing_support::WaitUntil([&] { return fs::exists(record); }));
        fs::remove(record);

        if (launchFirst) {
            ASSERT_EQ(0, Run(L" autostart"));
            EXPECT_EQ("autostart|", WaitForFile(record));
            EXPECT_EQ(before, Contents(programFolder_));
            ASSERT_EQ(0, Run(L" executeupdate"));
        } else {
            ASSERT_EQ(0, Run(L" executeupdate"));
        }
        EXPECT_EQ(kInstalled, Contents(programFolder_));
        EXPECT_EQ("0", Block(L"main"));
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(idle.hProcess, static_cast<DWORD>(testing_support::kPatience.count())));
        TerminateProcess(idle.hProcess, 0);
        CloseHandle(idle.hThread);
        CloseHandle(idle.hProcess);
        std::string log;
        for (const std::string& line : Requests())
            log += line + "\n";
        EXPECT_NE(std::string::npos, log.find("an interrupted install has been undone")) << log;
        EXPECT_NE(std::string::npos, log.find("has been taken off; 1 idle copies")) << log;
        EXPECT_EQ(std::string::npos, log.find("error")) << log;
        fs::remove(record);
    }
}

// Killed before or after any of its renames, an install leaves every file of the program folder
// whole, old or new; the next launch puts back the old state, and the install after it installs the
// package whole.
TEST_F(RenewerKillTest, AKillAtAnyPlacingLosesNoFile)
{
    InstallMainProgram();
    const std::map<std::string, std::string> old {{"a.dll", "old a"},
                                                  {"kyphtupdate.ini", "[block]\r\nmain=0\r\n"},
                                                  {"res/more/text.txt", "old text"},
                                                  {"res/pic.png", "old picture"}};
    for (const char* step : {"Placing", "Placed"}) {
        for (int count = 1; count <= 5; ++count) {
            SCOPED_TRACE(std::string(step) + " " + std::to_string(count));
            PutOldFiles();
            ASSERT_TRUE(InstallKilledAt(step, count));
            const std::map<std::string, std::string> killed = Contents(programFolder_);
            for (const auto& [name, content] : old) {
                const auto now = killed.find(name);
                ASSERT_NE(killed.end(), now) << name << " is missing";
                EXPECT_TRUE(name == "kyphtupdate.ini" || now->second == content || now->second == kInstalled.at(name))
                    << name << ": " << now->second;
            }
            ASSERT_EQ(0, Run(L" autostart"));
            EXPECT_EQ(old, Contents(programFolder_));
            ASSERT_EQ(0, Run(L" executeupdate"));
            EXPECT_EQ(kInstalled, Contents(programFolder_));
        }
    }
}

// A disk too full for the unpacked package is no damaged package: the log says which it was.
TEST_F(RenewerTest, AFullDiskIsToldFromADamagedPackage)
{
    std::mt19937 random(47);
    std::string content(4 << 20, '\0');
    for (char& c : content)
        c = "ACGT"[random() % 4];
    const std::string package = BuildZip({{"big.dat", content}});
    Offer("1.0.0.2", package);
    const std::map<std::string, std::string> installed = Contents(programFolder_);
    uintmax_t programBytes = 0;
    for (const auto& entry : fs::directory_iterator(programFolder_))
        programBytes += entry.is_regular_file() ? entry.file_size() : 0;
    // Room for the programs and the package, not for what it unpacks to; the program folder as it
    // was, on that disk.
    testing_support::OnSmallDisk(programFolder_, [&](const testing_support::DiskCheck& check) {
        for (const char* file : {"Renewer", "Update.so", "KyDownload.so"})
            testing_support::InstallFromBuild(testing_support::BuildProgramFolder() + "/" + file);
        for (const auto& [name, bytes] : installed)
            std::ofstream(programFolder_ + "/" + name, std::ios::binary) << bytes;
        machine_.WriteFile("program/a.dll", "old a");
        check(Run(L" downloadupdate") == 0, "the package is downloaded");
        std::map<std::string, std::string> before = Contents(programFolder_);
        check(Run(L" executeupdate") == 4, "the install fails");
        // Only the block's "main" 0 has joined the description.
        std::map<std::string, std::string> after = Contents(programFolder_);
        const std::string description = after["kyphtupdate.ini"];
        check(description.find(before["kyphtupdate.ini"]) == 0 &&
                  description.find("[block]\r\nmain=0\r\n") == description.size() - 17,
              "the description gains the block's 0 alone");
        after.erase("kyphtupdate.ini");
        before.erase("kyphtupdate.ini");
        check(before == after, "the program folder is as it was");
        const std::string logged = Requests().back();
        check(logged.find("writing a file failed (error 112, the disk is full") != std::string::npos &&
                  logged.find("damaged") == std::string::npos,
              "the log tells a full disk, not a damaged package");
    }, programBytes + package.size() + (1 << 20));
}

} // namespace
