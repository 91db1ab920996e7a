#include "common/RunProcess.h"

#include "platform/Machine.h"
#include "platform/Text.h"
#include "platform/Windows.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {


std::vector<std::string> Requests()
{
    std::vector<std::string> lines;
    std::istringstream text(
        testing_support::ReadFile(platform::HostPath(L"C:\\ProgramData\\Orvane\\Renewer\\requests.log")));
    for (std::string line; std::getline(text, line);)
        lines.push_back(line);
    return lines;
}

// The product's temporary folder, where the main program looks for a downloaded update.
fs::path ProductTempFolder()
{
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    return platform::HostPath(std::wstring(folder) + L"Orvane\\Quarnel\\");
}

class RenewerTest : public testing::Test {
protected:
    void SetUp() override { programFolder_ = machine_.UseProgramFolder(); }

    int Run(const std::wstring& words)
    {
        static const std::wstring renewer = testing_support::InstallFromBuild(RENEWER_PATH);
        return RunProcess(renewer, L"Renewer.exe" + words, true);
    }

    // A main program of the test's own that writes the arguments it was started with.
    std::string InstallMainProgram()
    {
        const std::string record = programFolder_ + "/quarnel-arguments";
        machine_.WriteFile("program/Quarnel", "#!/bin/sh\nfor a in \"$@\"; do printf '%s|' \"$a\"; done > '" + record + ".part'\nmv '" +
                                                  record + ".part' '" + record + "'\n");
        fs::permissions(programFolder_ + "/Quarnel", fs::perms::owner_all);
        return record;
    }

    testing_support::TempMachine machine_;
    std::string programFolder_;
};

std::string WaitForFile(const std::string& path)
{
    for (int attempt = 0; attempt < 200 && !fs::exists(path); ++attempt)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return testing_support::ReadFile(path);
}

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
}

TEST_F(RenewerTest, AMissingMainProgramFailsAndIsLogged)
{
    EXPECT_NE(0, Run(L" autostart"));
    const std::vector<std::string> requests = Requests();
    ASSERT_EQ(2u, requests.size());
    EXPECT_NE(std::string::npos, requests[1].find("error"));
}

TEST_F(RenewerTest, DownloadPlacesTheConfiguredPackageWhole)
{
    const std::string package(300000, 'z');
    machine_.WriteFile("drive_c/Packages/update.zip", package);
    machine_.WriteMachineIni("[Renewer]\nUpdatePackage=C:\\Packages\\update.zip\n");
    ASSERT_EQ(0, Run(L" downloadupdate"));
    EXPECT_EQ(package, testing_support::ReadFile(ProductTempFolder() / "Draviels.zip"));
    EXPECT_EQ(1, std::distance(fs::directory_iterator(ProductTempFolder()), fs::directory_iterator()));

    machine_.WriteFile("drive_c/Elsewhere/new.zip", "second");
    machine_.WriteMachineIni("[Renewer]\nUpdatePackage=C:\\Elsewhere\\new.zip\n");
    ASSERT_EQ(0, Run(L" downloadupdate"));
    EXPECT_EQ("second", testing_support::ReadFile(ProductTempFolder() / "Draviels.zip"));
}

TEST_F(RenewerTest, AFailedDownloadLeavesNoPackage)
{
    fs::create_directories(ProductTempFolder());
    machine_.WriteFile(fs::relative(ProductTempFolder() / "Draviels.zip", machine_.Root()).string(), "stale");

    EXPECT_NE(0, Run(L" downloadupdate"));
    EXPECT_FALSE(fs::exists(ProductTempFolder() / "Draviels.zip"));

    machine_.WriteMachineIni("[Renewer]\nUpdatePackage=C:\\Packages\\missing.zip\n");
    EXPECT_NE(0, Run(L" downloadupdate"));
    EXPECT_TRUE(fs::is_empty(ProductTempFolder()));
    EXPECT_NE(std::string::npos, Requests().back().find("missing.zip"));
}

TEST_F(RenewerTest, ExecuteUpdateIsRecordedAndOtherWordsRefused)
{
    EXPECT_EQ(0, Run(L" executeupdate"));
    EXPECT_NE(0, Run(L" reboot"));
    EXPECT_NE(0, Run(L" autostart autoscan"));
    const std::vector<std::string> requests = Requests();
    ASSERT_EQ(5u, requests.size());
    EXPECT_NE(std::string::npos, requests[0].find(" executeupdate"));
    EXPECT_NE(std::string::npos, requests[1].find(" reboot"));
    EXPECT_NE(std::string::npos, requests[2].find("error"));
    EXPECT_NE(std::string::npos, requests[4].find("error"));
}

} // namespace
