// The stand-in file manager: which folder it shows for the command lines the system builds.
#include "platform/programs/standin/StandInTestSupport.h"

#include "platform/Machine.h"
#include "support/DesktopOpener.h"
#include "platform/Windows.h"


namespace {

class ExplorerProgramTest : public standin_test::StandInTest {
protected:
    void SetUp() override { Prepare(); }

    // The folder the desktop's file manager was asked to show for the command line.
    std::string Shown(const std::wstring& commandLine)
    {
        const size_t before = opener_.Opened(0).size();
        const auto run = Run(commandLine);
        EXPECT_EQ(run.exitCode, 0u) << run.output;
        const std::vector<std::string> opened = opener_.Opened(before + 1);
        return opened.size() > before ? opened.back() : std::string();
    }

    testing_support::DesktopOpener opener_{machine};
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
