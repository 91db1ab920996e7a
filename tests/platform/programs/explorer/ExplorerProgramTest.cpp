// The stand-in file manager: which folder it shows for the command lines the system builds.
#include "platform/programs/standin/StandInTestSupport.h"

#include "platform/Machine.h"
#include "platform/Windows.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace fs = std::filesystem;

namespace {

class ExplorerProgramTest : public standin_test::StandInTest {
protected:
    void SetUp() override
    {
        Prepare();
        const std::string opener = machine.WriteFile("opener.sh", "#!/bin/sh\necho \"$1\" >> " + record_ + "\n");
        fs::permissions(opener, fs::perms::owner_all);
        setenv("QUARNEL_OPEN_COMMAND", opener.c_str(), 1);
    }
    void TearDown() override { unsetenv("QUARNEL_OPEN_COMMAND"); }

    // The folder the desktop's file manager was asked to show for the command line.
    std::string Shown(const std::wstring& commandLine)
    {
        const size_t before = Lines();
        const auto run = Run(commandLine);
        EXPECT_EQ(run.exitCode, 0u) << run.output;
        for (int wait = 0; wait < 200 && Lines() == before; ++wait)
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        const std::string text = testing_support::ReadFile(record_);
        const size_t start = text.rfind('\n', text.size() - 2);
        return text.substr(start == std::string::npos ? 0 : start + 1, text.size() - (start == std::string::npos ? 1 : start + 2));
    }

    size_t Lines() const
    {
        const std::string text = testing_support::ReadFile(record_);
        return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
    }

    std::string record_ = machine.Root() + "/opened.txt";
};

TEST_F(ExplorerProgramTest, SelectShowsTheFolderHoldingThePathEvenWithBlanksInIt)
{
    machine.WriteFile("drive_c/my reports/year end.txt", "totals");
    EXPECT_EQ(Shown(L"explorer.exe /select, C:\\my reports\\year end.txt"), platform::HostPath(L"C:\\my reports"));
    EXPECT_EQ(Shown(L"explorer /SELECT,\"C:\\my reports\\year end.txt\""), platform::HostPath(L"C:\\my reports"));
    EXPECT_EQ(Shown(L"explorer.exe /select, C:\\my reports\\gone.txt"), platform::HostPath(L"C:\\my reports"));
    EXPECT_EQ(Shown(L"explorer.exe /select, C:\\my reports"), platform::HostPath(L"C:\\"));
    EXPECT_EQ(Shown(L"explorer.exe C:\\my reports"), platform::HostPath(L"C:\\my reports"));
}

TEST_F(ExplorerProgramTest, WithoutAFolderToShowTheDocumentsFolderIsShown)
{
    wchar_t documents[MAX_PATH] = {};
    ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, documents, CSIDL_PERSONAL, TRUE));
    EXPECT_EQ(Shown(L"explorer.exe /select, C:\\nowhere\\gone.txt"), platform::HostPath(documents));
    EXPECT_EQ(Shown(L"explorer.exe"), platform::HostPath(documents));
}

} // namespace
