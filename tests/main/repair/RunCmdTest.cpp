// The console command runner against the machine's stand-in Windows programs and a console
// program of the tests' own: answered questions, the output and its lines, exit codes, programs
// that cannot start or fail, and the waits that cut a silent program off.
#include "RunCmd.h"

#include "platform/Machine.h"
#include "platform/RegistrySeed.h"
#include "platform/SystemPrograms.h"
#include "platform/Text.h"
#include "platform/Windows.h"
#include "support/TempMachine.h"

#include <QBuffer>
#include <QStringList>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

namespace {

void CollectLine(void* context, const QVariant& line) { static_cast<QStringList*>(context)->append(line.toString()); }

class RunCmdTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        machine.WriteMachineIni("[Drive C]\nDisk=0\n[Drive E]\nType=2\nBus=7\nDisk=1\nLabel=STICK\nInUse=1\n"
                                "[Disk 0]\nBus=11\nVendor=QUARNEL\n[Disk 1]\nBus=7\nVendor=Kingstone\n");
        ASSERT_TRUE(platform::InstallSystemPrograms(testing_support::BuildProgramFolder()));
        ASSERT_TRUE(platform::ImportRegistryText(
                        L"Windows Registry Editor Version 5.00\r\n\r\n"
                        L"[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\wuauserv]\r\n"
                        L"\"Start\"=dword:00000002\r\n\r\n"
                        L"[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\WaaSMedicSvc]\r\n"
                        L"\"DisplayName\"=\"Windows Update Medic Service\"\r\n\"Start\"=dword:00000002\r\n")
                        .ok);
    }
    // The waits are the process's: a case that shortened them gives the next the usual ones.
    void TearDown() override { SetRunCmdWaitMs(waitMs_); }

    const int waitMs_ = RunCmdWaitMs();

    static void FailOnRequest(const wchar_t* program, const wchar_t* mode)
    {
        ASSERT_TRUE(platform::ChangeMachineIni([&](platform::IniFile& ini) { ini.Set(L"Fail", program, mode); }));
    }

    // A command line starting the tests' own console program with the steps.
    static std::string Helper(const std::string& steps)
    {
        const auto path = std::filesystem::read_symlink("/proc/self/exe").parent_path() / "repair_console_helper";
        return platform::ToUtf8(platform::QuoteProgramName(platform::WindowsPath(path.string()))) + " " + steps;
    }

    testing_support::TempMachine machine;
};

TEST(AnswerPromptTest, AnswersQuestionsOfferingChoicesWithTheFirstChoice)
{
    const auto answer = [](const char* line) {
        QBuffer input;
        input.open(QIODevice::WriteOnly);
        AnswerPrompt(QString::fromUtf8(line), &input);
        return input.data().toStdString();
    };
    EXPECT_EQ(answer("Would you like to force a dismount on this volume? (Y/N) "), "Y\r\n");
    EXPECT_EQ(answer("Convert lost chains to files (Y/N)?\r\n"), "Y\r\n");
    EXPECT_EQ(answer("Keep a/b? (Ja/Nein)"), "Ja\r\n");
    EXPECT_EQ(answer("Continue? Y or N"), "");
    EXPECT_EQ(answer("Really? (sure)"), "");
    EXPECT_EQ(answer("Choose (Y/N) now"), "");
    AnswerPrompt(QStringLiteral("Proceed? (Y/N)"), nullptr);
}

TEST_F(RunCmdTest, QuestionsAreAnsweredAndEveryLineReachesTheCallback)
{
    QStringList lines;
    RunCmdOutcome_ outcome;
    const QString output = RunCmd("chkdsk.exe E: /f /r", CollectLine, &lines, outcome);
    EXPECT_TRUE(lines.contains(QStringLiteral("Would you like to force a dismount on this volume? (Y/N) ")))
        << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("\r\nVolume dismounted.  All opened handles to this volume are now invalid.\r\n")));
    EXPECT_TRUE(output.contains(QStringLiteral("found no problems")));
    EXPECT_GT(output.size(), 200);
    EXPECT_EQ(lines.join(QString()), output);
    EXPECT_TRUE(outcome.bStarted);
    EXPECT_TRUE(outcome.bExited);
    EXPECT_EQ(outcome.dwExitCode, 0u);

    const QString asked = RunCmd(Helper("\"ask:Proceed? (Yes/No) \" exit:0").c_str());
    EXPECT_EQ(asked, QStringLiteral("Proceed? (Yes/No) answer:Yes\r\n"));
}

TEST_F(RunCmdTest, EachStandInChangesTheMachineAndReportsItsExitCode)
{
    machine.WriteFile("drive_c/work/change_attrib.txt", "select disk 1\r\nattributes disk set readonly");
    ASSERT_TRUE(SetCurrentDirectoryW(L"C:\\work"));
    RunCmdOutcome_ outcome;
    const QString diskpart = RunCmd("diskpart.exe /s change_attrib.txt", nullptr, nullptr, outcome);
    EXPECT_TRUE(diskpart.contains(QStringLiteral("Disk attributes set successfully."))) << diskpart.toStdString();
    EXPECT_EQ(outcome.dwExitCode, 0u);
    platform::ReloadMachine();
    EXPECT_TRUE(platform::Machine().Disk(1)->readOnly);

    EXPECT_TRUE(RunCmd("sc query wuauserv", nullptr, nullptr, outcome).contains(QStringLiteral("4  RUNNING")));
    EXPECT_EQ(outcome.dwExitCode, 0u);
    RunCmd("sc query nosuchsvc", nullptr, nullptr, outcome);
    EXPECT_EQ(outcome.dwExitCode, 1060u);

    EXPECT_TRUE(RunCmd("net stop WaaSMedicSvc", nullptr, nullptr, outcome).contains(QStringLiteral("stopped successfully")));
    EXPECT_EQ(outcome.dwExitCode, 0u);
    RunCmd("net stop WaaSMedicSvc", nullptr, nullptr, outcome);
    EXPECT_EQ(outcome.dwExitCode, 2u);

    ASSERT_TRUE(SetFileAttributesW(L"C:\\work\\change_attrib.txt", FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ(RunCmd("attrib.exe -h -r -s /s /d C:\\work\\*.*", nullptr, nullptr, outcome), QString());
    EXPECT_TRUE(outcome.bStarted);
    EXPECT_EQ(outcome.dwExitCode, 0u);
    EXPECT_EQ(GetFileAttributesW(L"C:\\work\\change_attrib.txt") & FILE_ATTRIBUTE_HIDDEN, 0u);
}

TEST_F(RunCmdTest, ProgramsThatCannotStartOrFailAreToldApart)
{
    RunCmdOutcome_ outcome;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(RunCmd("nosuchprogram.exe /x", nullptr, nullptr, outcome), QString());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5)) << "no wait for a program that never ran";
    EXPECT_FALSE(outcome.bStarted);
    EXPECT_EQ(outcome.dwStartError, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(RunCmd(nullptr, nullptr, nullptr, outcome), QString());
    EXPECT_FALSE(outcome.bStarted);

    FailOnRequest(L"attrib", L"silent");
    EXPECT_EQ(RunCmd("attrib.exe -h -r -s /s /d E:\\*.*", nullptr, nullptr, outcome), QString());
    EXPECT_TRUE(outcome.bStarted);
    EXPECT_TRUE(outcome.bExited);
    EXPECT_EQ(outcome.dwExitCode, 1u);

    FailOnRequest(L"chkdsk", L"exit");
    const QString chkdsk = RunCmd("chkdsk.exe E: /f /r /x", nullptr, nullptr, outcome);
    EXPECT_LE(chkdsk.size(), 200);
    EXPECT_EQ(outcome.dwExitCode, 3u);
}

TEST_F(RunCmdTest, OutputAfterALongSilenceIsKeptUntilTheEnd)
{
    // A silence longer than one wait and shorter than two, with seconds to spare either way for a
    // loaded machine or a slow build.
    SetRunCmdWaitMs(5000);
    RunCmdOutcome_ outcome;
    const QString output = RunCmd(Helper("say:first pause:7000 say:late exit:7").c_str(), nullptr, nullptr, outcome);
    EXPECT_EQ(output, QStringLiteral("first\r\nlate\r\n"));
    EXPECT_TRUE(outcome.bExited);
    EXPECT_EQ(outcome.dwExitCode, 7u);
}

TEST_F(RunCmdTest, AProgramSilentBeyondBothWaitsIsCutOff)
{
    // Long enough for the first line to come from a helper started on a loaded machine, and far
    // below the helper's silence.
    SetRunCmdWaitMs(3000);
    RunCmdOutcome_ outcome;
    const auto start = std::chrono::steady_clock::now();
    const QString output = RunCmd(Helper("say:first pause:120000 say:never").c_str(), nullptr, nullptr, outcome);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60));
    EXPECT_EQ(output, QStringLiteral("first\r\n"));
    EXPECT_TRUE(outcome.bStarted);
    EXPECT_FALSE(outcome.bExited);
}

} // namespace
