#include "UpdateCheck.h"

#include "FixTitleBase.h"
#include "MessageBox.h"
#include "RenewerRun.h"
#include "UpdateBox.h"

#include "CommunityTestServer.h"
#include "PageTestSupport.h"
#include "ZipBuilder.h"
#include "Paneforge/Util.h"
#include "common/RunningProcesses.h"
#include "platform/Machine.h"
#include "platform/Windows.h"
#include "support/TempMachine.h"
#include "support/WaitUntil.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace fs = std::filesystem;

namespace {

class UpdateCheckTest : public testing::Test {
protected:
    void SetUp() override
    {
        programFolder_ = machine_.UseProgramFolder("program folder");
        page_test::UsePreludex();
        fs::copy_file(fs::path(testing_support::BuildProgramFolder()) / "Renewer", fs::path(programFolder_) / "Renewer");
        titleBar_.resize(800, 48);
        titleBar_.show();
    }

    void SetState(int state, const QString& build = QStringLiteral("1.0.2"))
    {
        Util::setDravielsCfgInfo(QStringLiteral("localcfg.ini"), QStringLiteral("cache"), QStringLiteral("update"), state);
        machine_.WriteFile("program folder/kyphtupdate.ini", "[update]\r\nbuild=" + build.toStdString() + "\r\n");
    }

    void InstallFromBuild(const char* file) const
    {
        fs::copy_file(fs::path(testing_support::BuildProgramFolder()) / file, fs::path(programFolder_) / file);
    }

    static std::string Description(const std::string& build, const std::string& url, const std::string& config)
    {
        return "[update]\r\nurl=" + url + "\r\ndes=Build " + build + "\r\nbuild=" + build + "\r\nforce=0\r\nconfig=" +
               config + "\r\n";
    }

    // Starts the program of the program folder at log-in, as the user would next start it.
    static void StartAtLogIn(QProcess& program, const std::string& folder)
    {
        program.setProgram(QString::fromStdString(folder + "/Quarnel"));
        program.setArguments({QStringLiteral("autostart")});
        program.start();
    }

    // Runs the check; each modal dialog that opens is handed to `answer` (which must end it), and
    // its title and content texts are collected.
    void RunCheck(const std::function<void(CMessageBox*)>& answer)
    {
        CUpdateCheck check(&titleBar_);
        QObject::connect(&check, &CUpdateCheck::sigDialogOpened, [this, answer](CMessageBox* dialog) {
            QTimer::singleShot(50, dialog, [this, dialog, answer] {
                QStringList texts;
                for (QLabel* label : dialog->findChildren<QLabel*>()) {
                    const QString text = PlainText(label->text());
                    if (label->isVisibleTo(dialog) && !text.isEmpty() && !InTitleBar(label))
                        texts << text;
                }
                shown_.append(texts.join(QLatin1Char('|')));
                positions_.append(dialog->pos());
                answer(dialog);
            });
        });
        check.Check(titleBar_.mapToGlobal(QPoint(0, 0)) + QPoint(80, 48));
    }

    static bool InTitleBar(const QObject* object)
    {
        for (; object; object = object->parent())
            if (qobject_cast<const CFixTitleBase*>(object))
                return true;
        return false;
    }

    static QString PlainText(const QString& rich)
    {
        QString plain = rich;
        plain.remove(QRegularExpression(QStringLiteral("<[^>]*>")));
        return plain;
    }

    static void PressMain(CMessageBox* dialog)
    {
        for (QPushButton* button : dialog->findChildren<QPushButton*>())
            if (button->isVisibleTo(dialog) && button->objectName().isEmpty()) {
                QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
                QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5), Qt::LeftButton, Qt::LeftButton,
                                    Qt::NoModifier);
                QApplication::sendEvent(button, &press);
                QApplication::sendEvent(button, &release);
                return;
            }
        ADD_FAILURE() << "no button to press";
    }

    std::string RenewerRequests() const
    {
        return testing_support::ReadFile(platform::HostPath(L"C:\\ProgramData\\Orvane\\Renewer\\requests.log"));
    }

    testing_support::TempMachine machine_;
    std::string programFolder_;
    QWidget titleBar_;
    QStringList shown_;
    QList<QPoint> positions_;
};

TEST_F(UpdateCheckTest, UpToDateSaysSoWithTheVersionAndReportsTheCheck)
{
    SetState(0, QStringLiteral("say \"hi\""));
    RunCheck([](CMessageBox* dialog) { dialog->close(); });
    ASSERT_EQ(1, shown_.size());
    EXPECT_TRUE(shown_[0].startsWith(QStringLiteral("Your Orvane Quarnel Beta is up to date.|Current Version: ")))
        << shown_[0].toStdString();
    EXPECT_EQ(titleBar_.mapToGlobal(QPoint(80, 48)), positions_[0]);
    const auto events = page_test::Events(2);
    EXPECT_TRUE(page_test::HasEvent(events, QStringLiteral("Menu"), QStringLiteral("Click_Check")));
    EXPECT_TRUE(page_test::HasEvent(events, QStringLiteral("Menu"), QStringLiteral("Result_Check"),
                                    "{\"CheckResult\": \"say \\\"hi\\\"\"}"));
}

TEST_F(UpdateCheckTest, AnUnknownStateShowsNothingButStillReportsTheCheck)
{
    for (int state : {3, -1}) {
        SetState(state, QString());
        RunCheck([](CMessageBox* dialog) { dialog->close(); });
    }
    EXPECT_TRUE(shown_.isEmpty());
    const auto events = page_test::Events(4);
    EXPECT_EQ(2u, page_test::EventsOf(events, QStringLiteral("Menu"), QStringLiteral("Result_Check")).size());
    EXPECT_TRUE(page_test::HasEvent(events, QStringLiteral("Menu"), QStringLiteral("Result_Check"),
                                    "{\"CheckResult\": \"\"}"));
}

TEST_F(UpdateCheckTest, AnOfferedUpdateIsDownloadedAndInstalledAndTheNextStartRunsIt)
{
    for (const char* file : {"Update.so", "KyDownload.so", "Quarnel"})
        InstallFromBuild(file);
    community_test::CCommunityTestServer service;
    const std::string config = service.Address("/update/kyphtupdate.ini");
    const std::string package = service.Address("/update/Draviels.zip");
    const std::string marker = programFolder_ + "/new version ran";
    const std::string newProgram = "#!/bin/sh\necho \"$@\" > '" + marker + "'\n";
    const std::string newDescription = Description("1.0.0.2", package, config);
    service.AddFile("/update/kyphtupdate.ini", newDescription);
    service.AddFile("/update/Draviels.zip",
                    update_test::BuildZip({{"Quarnel", newProgram}, {"kyphtupdate.ini", newDescription}}));
    machine_.WriteFile("program folder/kyphtupdate.ini", Description("1.0.0.1", package, config));
    Util::setDravielsCfgInfo(QStringLiteral("localcfg.ini"), QStringLiteral("cache"), QStringLiteral("update"), 2);

    RunCheck(PressMain);
    ASSERT_EQ(1, shown_.size()) << shown_.join(QStringLiteral(" / ")).toStdString();
    EXPECT_TRUE(shown_[0].startsWith(QStringLiteral("A new version of Orvane Quarnel Beta is available.")));
    const auto events = page_test::Events(4);
    EXPECT_TRUE(page_test::HasEvent(events, QStringLiteral("Update"), QStringLiteral("Click_Update")));
    EXPECT_TRUE(page_test::HasEvent(events, QStringLiteral("Update"), QStringLiteral("Result_Update"),
                                    "{\"UpdateResult\": \"Success\"}"));
    // The installation runs on after the dialog; it is done when the package is used up.
    const std::string downloaded = programFolder_ + "/Renewer.download/Draviels.zip";
    ASSERT_TRUE(page_test::WaitUntil([&] { return !fs::exists(downloaded); }, testing_support::kPatience.count()));
    EXPECT_EQ(newProgram, testing_support::ReadFile(programFolder_ + "/Quarnel.TMP"));
    EXPECT_NE(std::string::npos, RenewerRequests().find("executeupdate"));

    // The next start moves the new files in...
    QProcess next;
    StartAtLogIn(next, programFolder_);
    // It moves them one after the other: the start is done with them once the last one is in place.
    EXPECT_TRUE(page_test::WaitUntil([&] {
        return !fs::exists(programFolder_ + "/Quarnel.TMP")
            && testing_support::ReadFile(programFolder_ + "/kyphtupdate.ini") == newDescription;
    }, testing_support::kPatience.count()));
    next.kill();
    next.waitForFinished();
    EXPECT_FALSE(fs::exists(programFolder_ + "/kyphtupdate.ini.TMP"));
    // ...and the start after it runs the new version.
    QProcess after;
    StartAtLogIn(after, programFolder_);
    EXPECT_TRUE(after.waitForFinished(testing_support::kPatience.count()));
    EXPECT_EQ("autostart\n", testing_support::ReadFile(marker));
}

TEST_F(UpdateCheckTest, AFailedDownloadSaysSoAndInstallsNothing)
{
    SetState(1);
    RunCheck(PressMain);
    ASSERT_EQ(2, shown_.size());
    EXPECT_EQ(QStringLiteral("Update failed.|Please try again later."), shown_[1]);
    EXPECT_EQ(std::string::npos, RenewerRequests().find("executeupdate"));
    const auto events = page_test::Events(4);
    EXPECT_TRUE(page_test::HasEvent(events, QStringLiteral("Update"), QStringLiteral("Result_Update"),
                                    "{\"UpdateResult\": \"Fail\"}"));
}

TEST_F(UpdateCheckTest, ClosingTheOfferRunsNothing)
{
    SetState(2);
    RunCheck([](CMessageBox* dialog) { dialog->close(); });
    EXPECT_EQ(std::string::npos, RenewerRequests().find("downloadupdate"));
    EXPECT_TRUE(page_test::HasEvent(page_test::Events(3), QStringLiteral("Update"), QStringLiteral("Click_Close")));
}

TEST_F(UpdateCheckTest, RenewerIsStartedByItsQuotedPathWithTheWordAndWaitedFor)
{
    const std::wstring folder = platform::WindowsPath(programFolder_);
    EXPECT_EQ(L"\"" + folder + L"\\Renewer.exe\" downloadupdate", RenewerCommandLine(kRenewerDownload));
    EXPECT_EQ(L"\"" + folder + L"\\Renewer.exe\"", RenewerCommandLine(L""));
    // Renewer without the Update library beside it ends with its "not downloaded" code.
    EXPECT_EQ(3u, RunRenewer(kRenewerDownload, kRenewerWaitMs));
    fs::remove(fs::path(programFolder_) / "Renewer");
    EXPECT_EQ(0u, RunRenewer(kRenewerDownload, kRenewerWaitMs));
}

// A Renewer that outlasts the wait, as one a server holds would, is ended when the wait gives up:
// the next press of the button must not start a second one beside it.
TEST_F(UpdateCheckTest, ARenewerRunThatOutlastsTheWaitIsEnded)
{
    fs::remove(fs::path(programFolder_) / "Renewer");
    machine_.WriteFile("program folder/Renewer", "#!/bin/sh\nexec sleep 600\n");
    fs::permissions(fs::path(programFolder_) / "Renewer", fs::perms::owner_all);
    EXPECT_EQ(static_cast<DWORD>(STILL_ACTIVE), RunRenewer(kRenewerDownload, 0));
    const std::vector<DWORD> left = running_processes::IdsOf({L"Renewer.exe"}, 8);
    EXPECT_TRUE(left.empty());
    for (const DWORD id : left) {
        const HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, id);
        TerminateProcess(process, 1);
        CloseHandle(process);
    }
}

} // namespace
