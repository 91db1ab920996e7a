// Reading the defragmenter's output by the Windows version the machine reports, and the message
// file and folder that Windows 7 and later need.
#include "jex_main/Scatterscope/AnalysisHelper.h"
#include "jex_main/Scatterscope/DefragCommand.h"
#include "jex_main/Scatterscope/MessageFile.h"
#include "platform/SystemPrograms.h"
#include "platform/Text.h"
#include "platform/Windows.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

namespace {

class OutputReadingTest : public ::testing::Test {
protected:
    void Version(const std::string& reported, const std::string& trueVersion = "")
    {
        machine.WriteMachineIni("[Machine]\nWindowsVersion=" + reported + "\n" +
                                (trueVersion.empty() ? "" : "TrueVersion=" + trueVersion + "\n"));
    }

    int Parse(const std::string& output, OpResult expected = RESULT_OK)
    {
        int percent = -1;
        EXPECT_EQ(ParseFragmentation(output, percent), expected) << output;
        return percent;
    }

    testing_support::TempMachine machine;
};

TEST_F(OutputReadingTest, BeforeVistaThePieceWithFragmentedGivesThePercentage)
{
    Version("5.1.2600");
    EXPECT_EQ(
        Parse("Analysis Report\r\n    58 GB Total, 20 GB (34%) Free,  12% Fragmented (24% file fragmentation)\r\n"),
        12);
    Parse("Done, nothing\r\n100% Free, all clean\r\n", 0x1040001);
    Parse("no percentage here\r\n", 0x1110001);
    EXPECT_EQ(CheckOutput("Defragmentation was cancelled by the user.\r\n(0x89000001) "), 0u);
}

TEST_F(OutputReadingTest, VistaTakesTheValueAfterTheFirstEqualsSign)
{
    Version("6.0.6002");
    EXPECT_EQ(Parse("    Volume size = 58 GB\r\n    Percent file fragmentation = 7 %\r\n"), 7);
    EXPECT_EQ(Parse("a = 5% = 9%\n"), 5);
    Parse("= 5%\n", 0x12F0001);
    Parse("Percent ==5%\n", 0x1370001);
    Parse("5% fragmented\n", 0x1430001);
    EXPECT_EQ(CheckOutput("...\r\nDefragmentation was cancelled by the user.\r\n"), 0x2AD000Au);
    EXPECT_EQ(CheckOutput("error (0x89000001) ok"), 0u);
}

TEST_F(OutputReadingTest, Windows7AndLaterHaveTheirOwnCodesAndErrorSigns)
{
    Version("6.1.7601");
    EXPECT_EQ(Parse("        Total fragmented space      = 23%\r\n"), 23);
    Parse("= 5%\n", 0x1620001);
    Parse("x =% \n", RESULT_OK);
    Parse("nothing\n", 0x1760001);
    EXPECT_EQ(CheckOutput("A volume error was found. (0x8900002A)\r\n"), 0x2C80001u);
    EXPECT_EQ(CheckOutput("Fine. (0x00000000)\r\n"), 0u);
    EXPECT_EQ(CheckOutput("short (0x8900002A"), 0u);
    EXPECT_EQ(CheckOutput("Defragmentation was cancelled by the user.\r\n"), 0u);
}

TEST_F(OutputReadingTest, ALineTooLongEndsTheSearch)
{
    Version("6.1.7601");
    EXPECT_EQ(Parse(std::string(511, 'x') + "\nTotal = 4%\n"), 4);
    Parse(std::string(512, 'x') + "\nTotal = 4%\n", 0x1760001);
}

TEST_F(OutputReadingTest, TheMessageFileIsChosenByTheTrueVersion)
{
    EXPECT_EQ(MessageFileFor(6, 4), MessageFileFor(10, 0));
    EXPECT_NE(MessageFileFor(6, 2), MessageFileFor(6, 3));
    for (const auto& [major, minor] : {std::pair{6u, 0u}, {6u, 5u}, {10u, 1u}, {11u, 0u}, {7u, 0u}})
        EXPECT_TRUE(MessageFileFor(major, minor).empty()) << major << "." << minor;

    Version("6.2.9200", "6.3.9600");
    const std::string path = machine.Root() + "/drive_c/messages.mui";
    ASSERT_EQ(WriteMessageFile(L"C:\\messages.mui"), 0u);
    EXPECT_EQ(testing_support::ReadFile(path), MessageFileFor(6, 3));
    EXPECT_EQ(WriteMessageFile(nullptr), 0x1C00001u);

    Version("10.1.0");
    ASSERT_TRUE(platform::InstallSystemPrograms(testing_support::BuildProgramFolder()));
    wchar_t folder[DEFRAG_FOLDER_CHARS] = {};
    EXPECT_EQ(PrepareDefragFolder(folder, DEFRAG_FOLDER_CHARS), 0xAC0001u);
}

TEST_F(OutputReadingTest, TheDefragmenterRunsFromTheSystemFolderWhereItSpeaksEnglish)
{
    Version("5.1.2600");
    wchar_t command[DEFRAG_COMMAND_CHARS] = {};
    ASSERT_EQ(BuildDefragCommand(L"C:", command, DEFRAG_COMMAND_CHARS, true), 0u);
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    EXPECT_EQ(std::wstring(command), L"\"" + std::wstring(system) + L"\\defrag.exe\" C: -a");
    ASSERT_EQ(BuildDefragCommand(L"C:", command, DEFRAG_COMMAND_CHARS, false), 0u);
    EXPECT_EQ(std::wstring(command), L"\"" + std::wstring(system) + L"\\defrag.exe\" C:");
    EXPECT_EQ(BuildDefragCommand(std::wstring(500, L'v').c_str(), command, DEFRAG_COMMAND_CHARS, false), 0xD60001u);

    Version("6.1.7601");
    machine.WriteFile("drive_c/Windows/System32/en-US/defrag.exe.mui", "messages");
    wchar_t folder[DEFRAG_FOLDER_CHARS] = {};
    ASSERT_EQ(PrepareDefragFolder(folder, DEFRAG_FOLDER_CHARS), 0u);
    EXPECT_EQ(std::wstring(folder), std::wstring(system));
}

} // namespace
