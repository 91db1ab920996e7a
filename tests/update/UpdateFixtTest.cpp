// Reading and comparing update descriptions, and downloading through KyDownload from a server
// of the test's own.
#include "common/ProductFolder.h"
#include "LocalHttpServer.h"
#include "UnzipFixture.h"

#include "platform/Machine.h"
#include "support/TempMachine.h"
#include "support/WaitUntil.h"
#include "update/UpdateFixt.h"

#include <filesystem>

using namespace update_test;
using testing_support::ReadFile;

namespace fs = std::filesystem;

namespace {

std::string Description(const std::string& build, const std::string& config, const std::string& force = "0")
{
    return "[update]\r\nurl=http://updates.example/quarnel-" + build + ".zip\r\ndes=Build " + build +
           "\r\nbuild=" + build + "\r\nforce=" + force + "\r\nconfig=" + config + "\r\n";
}

class UpdateFixtTest : public testing::Test {
protected:
    UpdateFixtTest() : program_(machine_.UseProgramFolder()) {}

    // Puts a download library into the program folder, where the fetcher looks for it.
    void InstallDownloader(const std::string& fromFolder = testing_support::BuildProgramFolder())
    {
        fs::copy_file(fromFolder + "/KyDownload.so", program_ + "/KyDownload.so");
    }

    void InstallDescription(const std::string& text) { machine_.WriteFile("program/kyphtupdate.ini", text); }
    std::string Installed() const { return ReadFile(program_ + "/kyphtupdate.ini"); }

    std::wstring UpdateState() const
    {
        wchar_t state[16] = {};
        GetPrivateProfileStringW(L"cache", L"update", L"(none)", state, 16, LocalCfgPath().c_str());
        return state;
    }

    // Where a fetched description waits: Renewer's download folder in the program folder.
    std::string FetchedHostPath() const { return program_ + "/Renewer.download/kyphtupdate.ini"; }
    // Where it waited before, and where a process refused the program folder keeps it: the user's
    // local application data.
    static std::string UsersOwnCopy()
    {
        wchar_t appData[MAX_PATH] = {};
        SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, appData);
        return platform::HostPath(std::wstring(appData) + L"\\Orvane\\Quarnel\\kyphtupdate.ini");
    }

    testing_support::TempMachine machine_;
    std::string program_;
    LocalHttpServer server_;
};

TEST_F(UpdateFixtTest, DownloadStoresTheContentOfTheUrl)
{
    InstallDownloader();
    server_.Serve("/pack.zip", {200, Incompressible(200000)});
    CUpdateFixt fixt;
    machine_.WriteFile("drive_c/Downloads/keep.txt", "");
    EXPECT_EQ(RESULT_OK, fixt.Download(server_.WideUrl("/pack.zip").c_str(), L"C:\\Downloads\\pack.zip"));
    EXPECT_EQ(Incompressible(200000), ReadFile(platform::HostPath(L"C:\\Downloads\\pack.zip")));
    EXPECT_EQ((std::vector<std::string>{"/pack.zip"}), server_.RequestedPaths());
}

TEST_F(UpdateFixtTest, AFailedDownloadLeavesNoDestinationFile)
{
    InstallDownloader();
    server_.Serve("/error", {500, "server trouble"});
    server_.Serve("/cut", {200, std::string(50000, 'c'), "", true});
    CUpdateFixt fixt;
    const std::string dest = machine_.WriteFile("drive_c/dest.bin", "an older download");
    for (const char* path : {"/missing", "/error", "/cut"}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(0x590001u, Low(fixt.Download(server_.WideUrl(path).c_str(), Wide(dest).c_str())));
        EXPECT_FALSE(fs::exists(dest));
    }
    EXPECT_EQ(0x590001u, Low(fixt.Download(L"file:///etc/hostname", Wide(dest).c_str())));
    EXPECT_FALSE(fs::exists(dest));
    for (const std::string& name : Listing(machine_.Root()))
        EXPECT_NE(0u, name.rfind("kyd", 0)) << "a partial download was left: " << name;
}

TEST_F(UpdateFixtTest, DownloadChecksItsArgumentsFirst)
{
    CUpdateFixt fixt;
    EXPECT_EQ(0x4D0001u, Low(fixt.Download(nullptr, L"C:\\x")));
    EXPECT_EQ(0x4D0001u, Low(fixt.Download(L"", L"C:\\x")));
    EXPECT_EQ(0x4E0001u, Low(fixt.Download(L"http://127.0.0.1/", nullptr)));
    EXPECT_EQ(0x4E0001u, Low(fixt.Download(L"http://127.0.0.1/", L"")));
    // No download library in the program folder.
    EXPECT_EQ(0x4F0001u, Low(fixt.Download(L"http://127.0.0.1/", L"C:\\x")));
    EXPECT_EQ(RESULT_OK, fixt.ValidateArgs(L"anything", nullptr));
}

struct BrokenDownloader {
    const char* variant;
    uint32_t expected;
};

class BrokenDownloaderTest : public UpdateFixtTest, public testing::WithParamInterface<BrokenDownloader> {};

TEST_P(BrokenDownloaderTest, EachMissingOrFailingEntryPointHasItsCode)
{
    InstallDownloader(std::string(FAKE_KYDOWNLOAD_DIR) + "/" + GetParam().variant);
    CUpdateFixt fixt;
    EXPECT_EQ(GetParam().expected, Low(fixt.Download(L"http://127.0.0.1/", Wide(program_ + "/x").c_str())));
}

INSTANTIATE_TEST_SUITE_P(Variants, BrokenDownloaderTest,
                         testing::Values(BrokenDownloader{"no_download", 0x500001}, BrokenDownloader{"no_uninit", 0x510001},
                                         BrokenDownloader{"init_fails", 0x550001},
                                         BrokenDownloader{"null_handle", 0x560001}));

TEST_F(UpdateFixtTest, ADescriptionFileFillsTheRecord)
{
    CUpdateFixt fixt;
    const std::string file = machine_.WriteFile("drive_c/d.ini", Description("2.0.1.7", "http://next/d.ini", "3"));
    _Update_Info_ info = {};
    info.flags = UPDATE_FLAG_NEWER;
    ASSERT_EQ(RESULT_OK, fixt.ReadUpdateInfo(Wide(file).c_str(), &info));
    EXPECT_STREQ(L"http://updates.example/quarnel-2.0.1.7.zip", info.url);
    EXPECT_STREQ(L"Build 2.0.1.7", info.des);
    EXPECT_STREQ(L"2.0.1.7", info.build);
    EXPECT_STREQ(L"http://next/d.ini", info.config);
    EXPECT_EQ(UPDATE_FLAG_NEWER | UPDATE_FLAG_FORCED, info.flags);

    machine_.WriteFile("drive_c/d.ini", Description("2.0.1.7", "c.ini", "2"));
    ASSERT_EQ(RESULT_OK, fixt.ReadUpdateInfo(Wide(file).c_str(), &info));
    EXPECT_EQ(UPDATE_FLAG_NEWER, info.flags);
}

TEST_F(UpdateFixtTest, TheFirstMissingKeyEndsTheReadWithItsCode)
{
    CUpdateFixt fixt;
    const std::string file = machine_.WriteFile("drive_c/d.ini", "[update]\r\nurl=u\r\ndes=d\r\nbuild=1.2.3.4\r\nforce=1\r\n");
    _Update_Info_ info = {};
    EXPECT_EQ(0x850001u, Low(fixt.ReadUpdateInfo(Wide(file).c_str(), &info)));
    EXPECT_STREQ(L"u", info.url);
    EXPECT_STREQ(L"d", info.des);
    EXPECT_STREQ(L"1.2.3.4", info.build);
    EXPECT_EQ(UPDATE_FLAG_FORCED, info.flags);

    const std::pair<const char*, uint32_t> cases[] = {{"[update]\r\ndes=d\r\nbuild=1\r\nconfig=c\r\n", 0x7E0001},
                                                      {"[update]\r\nurl=u\r\nbuild=1\r\nconfig=c\r\n", 0x800001},
                                                      {"[update]\r\nurl=u\r\ndes=d\r\nbuild=\r\nconfig=c\r\n", 0x820001}};
    for (const auto& [text, code] : cases) {
        machine_.WriteFile("drive_c/d.ini", text);
        EXPECT_EQ(code, Low(fixt.ReadUpdateInfo(Wide(file).c_str(), &info))) << text;
    }
    EXPECT_EQ(0x7E0001u, Low(fixt.ReadUpdateInfo(Wide(machine_.Root() + "/drive_c/none.ini").c_str(), &info)));
    EXPECT_EQ(0x6A0001u, Low(fixt.ReadUpdateInfo(Wide(file).c_str(), nullptr)));
    EXPECT_EQ(0x6B0001u, Low(fixt.ReadUpdateInfo(nullptr, &info)));
    EXPECT_EQ(0x6B0001u, Low(fixt.ReadUpdateInfo(L"", &info)));
}

TEST_F(UpdateFixtTest, AUrlInAnyCaseIsFetchedIntoTheProgramFoldersDownloadFolder)
{
    InstallDownloader();
    server_.Serve("/remote.ini", {200, Description("3.1.0.0", "http://next/remote.ini")});
    CUpdateFixt fixt;
    _Update_Info_ info = {};
    std::wstring upper = server_.WideUrl("/remote.ini");
    upper.replace(0, 4, L"HTTP");
    ASSERT_EQ(RESULT_OK, fixt.ReadUpdateInfo(upper.c_str(), &info));
    EXPECT_STREQ(L"3.1.0.0", info.build);
    EXPECT_EQ(Description("3.1.0.0", "http://next/remote.ini"), ReadFile(FetchedHostPath()));
    EXPECT_FALSE(fs::exists(UsersOwnCopy()));

    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    EXPECT_FALSE(fs::exists(platform::HostPath(std::wstring(temp) + L"kyphtupdate.ini")));
    EXPECT_EQ(0x590001u, Low(fixt.ReadUpdateInfo(server_.WideUrl("/gone.ini").c_str(), &info)));
}

TEST_F(UpdateFixtTest, ANewerBuildIsOfferedAndRecordedAsForcedOrOptional)
{
    InstallDownloader();
    InstallDescription(Description("1.2.3.4", server_.Url("/remote.ini")));
    const std::string installed = Installed();
    for (const auto& [force, state] : {std::pair<const char*, const wchar_t*>{"3", L"1"}, {"2", L"2"}}) {
        server_.Serve("/remote.ini", {200, Description("1.2.3.10", "http://next/remote.ini", force)});
        CUpdateFixt fixt;
        _Update_Info_ info = {};
        EXPECT_TRUE(fixt.CheckUpdate(&info));
        EXPECT_EQ(UPDATE_FLAG_NEWER, info.flags & UPDATE_FLAG_NEWER);
        EXPECT_STREQ(L"1.2.3.10", info.build);
        EXPECT_EQ(state, UpdateState());
        EXPECT_EQ(installed, Installed());
    }
}

TEST_F(UpdateFixtTest, NoNewerBuildInstallsTheFetchedDescription)
{
    InstallDownloader();
    InstallDescription(Description("1.2.3.0", server_.Url("/remote.ini")));
    const std::string remote = Description("1.2.3", server_.Url("/next.ini"));
    server_.Serve("/remote.ini", {200, remote});
    CUpdateFixt fixt;
    _Update_Info_ info = {};
    EXPECT_FALSE(fixt.CheckUpdate(&info));
    EXPECT_EQ(0u, info.flags & UPDATE_FLAG_NEWER);
    EXPECT_EQ(L"0", UpdateState());
    EXPECT_EQ(remote, Installed());
}

TEST_F(UpdateFixtTest, AFailedOrIncompleteFetchNeverReplacesTheInstalledDescription)
{
    InstallDownloader();
    InstallDescription(Description("1.2.3.4", server_.Url("/remote.ini")));
    const std::string installed = Installed();
    // Copies left by an earlier check or planted by someone else must not be taken.
    machine_.WriteFile("stale.ini", Description("0.0.0.1", "http://attacker/"));
    for (const std::string& copy : {FetchedHostPath(), UsersOwnCopy()}) {
        fs::create_directories(fs::path(copy).parent_path());
        fs::copy_file(machine_.Root() + "/stale.ini", copy);
    }
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    fs::copy_file(machine_.Root() + "/stale.ini", platform::HostPath(std::wstring(temp) + L"kyphtupdate.ini"));

    const HttpReply replies[] = {{404, "gone"}, {500, "trouble"}, {200, "[update]\r\nurl=u\r\ndes=d\r\nbuild=1.0\r\n"}};
    for (const HttpReply& reply : replies) {
        SCOPED_TRACE(reply.status);
        server_.Serve("/remote.ini", reply);
        CUpdateFixt fixt;
        _Update_Info_ info = {};
        EXPECT_FALSE(fixt.CheckUpdate(&info));
        EXPECT_EQ(L"0", UpdateState());
        EXPECT_EQ(installed, Installed());
    }
}

// A description larger than any, or one that trickles, costs neither the disk nor the caller more
// than its bounds, and is never installed; one just within them is.
TEST_F(UpdateFixtTest, ADescriptionBeyondItsSizeOrTimeIsRefusedAndNeverInstalled)
{
    InstallDownloader();
    InstallDescription(Description("1.2.3.4", server_.Url("/remote.ini")));
    const std::string installed = Installed();
    const std::string remote = Description("1.2.3.4", server_.Url("/next.ini"));
    const std::string padding = "; " + std::string(1000, '-') + "\r\n";
    std::string huge = remote;
    while (huge.size() < (32u << 20))
        huge += padding;
    std::string largest = remote;
    while (largest.size() + padding.size() <= (1u << 20))
        largest += padding;
    largest += std::string((1u << 20) - largest.size(), ';');

    CUpdateFixt::SetDeadlineForTests(300);
    const struct {
        const char* what;
        HttpReply reply;
        int cutOff;  // the answers the client has cut off by then, rather than fetch them whole
    } refused[] = {
        {"32 MiB", {200, huge}, 1},
        {"a trickle", HttpReply::Trickle(remote, 20), 2},
        // Refused from its announced length alone, whatever was sent.
        {"one byte too many", {200, largest + ";"}, 0},
    };
    for (const auto& one : refused) {
        SCOPED_TRACE(one.what);
        server_.Serve("/remote.ini", one.reply);
        CUpdateFixt fixt;
        _Update_Info_ info = {};
        EXPECT_FALSE(fixt.CheckUpdate(&info));
        EXPECT_EQ(L"0", UpdateState());
        EXPECT_EQ(installed, Installed());
        EXPECT_FALSE(fs::exists(FetchedHostPath()));
        EXPECT_FALSE(fs::exists(UsersOwnCopy()));
        if (one.cutOff) {
            EXPECT_TRUE(testing_support::WaitUntil([&] { return server_.AnswersCutByClient() == one.cutOff; }));
        }
    }
    CUpdateFixt::SetDeadlineForTests(0);

    server_.Serve("/remote.ini", {200, largest});
    CUpdateFixt fixt;
    _Update_Info_ info = {};
    EXPECT_FALSE(fixt.CheckUpdate(&info));
    EXPECT_EQ(remote, Installed());
}

// The installed description keeps what is the machine's own: the start-up block that an install
// sets while it runs, whatever a check meanwhile fetched. A server cannot set the block either.
TEST_F(UpdateFixtTest, AnInstalledDescriptionKeepsItsStartUpBlock)
{
    InstallDownloader();
    const std::string block = "[block]\r\nmain=1\r\nowner=4242\r\nstarted=133\r\nrunning=17,18\r\n";
    InstallDescription(block + Description("1.2.3.4", server_.Url("/remote.ini")) + "[local]\r\nkept=1\r\n");
    const std::string remote = Description("1.2.3.4", server_.Url("/next.ini"));
    server_.Serve("/remote.ini", {200, "[block]\r\nmain=0\r\n" + remote + "[extra]\r\nfrom=server\r\n"});
    CUpdateFixt fixt;
    _Update_Info_ info = {};
    EXPECT_FALSE(fixt.CheckUpdate(&info));
    EXPECT_EQ(block + remote + "[local]\r\nkept=1\r\n", Installed());
}

TEST_F(UpdateFixtTest, WithoutTheDownloaderTheCheckFindsNothing)
{
    InstallDescription(Description("1.2.3.4", server_.Url("/remote.ini")));
    const std::string installed = Installed();
    server_.Serve("/remote.ini", {200, Description("9.0.0.0", "http://next/")});
    CUpdateFixt fixt;
    _Update_Info_ info = {};
    EXPECT_FALSE(fixt.CheckUpdate(&info));
    EXPECT_EQ(L"0", UpdateState());
    EXPECT_EQ(installed, Installed());
    EXPECT_TRUE(server_.RequestedPaths().empty());
    EXPECT_FALSE(fixt.CheckUpdate(nullptr));
}

TEST_F(UpdateFixtTest, ALocalNextDescriptionIsComparedButNotInstalled)
{
    machine_.WriteFile("drive_c/next.ini", Description("1.0.0.0", "next.ini"));
    InstallDescription(Description("1.0.0.0", "C:\\next.ini"));
    const std::string installed = Installed();
    CUpdateFixt fixt;
    _Update_Info_ info = {};
    EXPECT_FALSE(fixt.CheckUpdate(&info));
    EXPECT_STREQ(L"1.0.0.0", info.build);
    EXPECT_EQ(installed, Installed());

    machine_.WriteFile("drive_c/next.ini", Description("1.0.0.1", "next.ini"));
    EXPECT_TRUE(fixt.CheckUpdate(&info));
    EXPECT_EQ(L"2", UpdateState());
}

TEST_F(UpdateFixtTest, AnUnreadableInstalledDescriptionCountsAsTheOldestBuild)
{
    CUpdateFixt fixt;
    _Update_Info_ info = {};
    lstrcpynW(info.build, L"0.0.0.1", 32);
    EXPECT_TRUE(fixt.CheckUpdate(&info));
    EXPECT_EQ(L"2", UpdateState());
}

} // namespace
