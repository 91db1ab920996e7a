// The File Showing page on the machine's drives with the stand-in attrib and chkdsk: hidden and
// system files of the chosen drive come back, the chkdsk log is written and opened from the
// result box, and a failing attrib or chkdsk is a failure. The fixing dialog holds while its task
// runs.
#include "FixUSBWidget.h"
#include "FixingDialog.h"

#include "RepairPageSupport.h"

#include "MessageBox.h"

#include "platform/Machine.h"
#include "platform/Windows.h"
#include "support/OtherUser.h"
#include "support/RunFolderPlants.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QPushButton>
#include <QTimer>
#include <QUrl>

#include <atomic>
#include <fstream>

namespace {

using repair_test::RepairPageTest;

constexpr DWORD HIDDEN_SYSTEM = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

// Records the addresses opened through the desktop services.
class CUrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened.append(url); }
};

class FileShowingPageTest : public RepairPageTest {
protected:
    void SetUp() override
    {
        RepairPageTest::SetUp();
        ASSERT_TRUE(CreateDirectoryW(L"E:\\photos", nullptr));
        std::ofstream(platform::HostPath(L"E:\\photos\\beach.jpg")) << "jpeg";
        std::ofstream(platform::HostPath(L"E:\\notes.txt")) << "notes";
        ASSERT_TRUE(SetFileAttributesW(L"E:\\photos", FILE_ATTRIBUTE_DIRECTORY | HIDDEN_SYSTEM));
        ASSERT_TRUE(SetFileAttributesW(L"E:\\photos\\beach.jpg", HIDDEN_SYSTEM | FILE_ATTRIBUTE_READONLY));
        ASSERT_TRUE(SetFileAttributesW(L"E:\\notes.txt", FILE_ATTRIBUTE_HIDDEN));
        DeleteFileW(ChkDskLog().c_str());
    }

    static std::wstring ChkDskLog() { return CFixUSBWidget::ChkDskLogPath().toStdWString(); }

    static DWORD Hidden(const wchar_t* path) { return GetFileAttributesW(path) & (HIDDEN_SYSTEM | FILE_ATTRIBUTE_READONLY); }

    // A page with the stick chosen and the file-system check ticked or not.
    static void Choose(CFixUSBWidget& page, bool checkFix)
    {
        WaitForDriveBox(&page);
        page.findChild<QComboBox*>()->setCurrentText(QStringLiteral("STICK (E:)"));
        for (QCheckBox* box : page.findChildren<QCheckBox*>())
            if (box->isVisibleTo(&page))
                box->setChecked(checkFix);
    }

    static QPushButton* FixLogButton(CMessageBox* box) { return box->findChild<QPushButton*>("viewfixlogbtn"); }
};

TEST_F(FileShowingPageTest, OffersEveryDriveButTheSystemDrive)
{
    CFixUSBWidget page(nullptr);
    WaitForDriveBox(&page);
    auto* combo = page.findChild<QComboBox*>();
    ASSERT_EQ(combo->count(), 2);
    EXPECT_EQ(combo->itemText(0), QStringLiteral("Data (D:)"));
    EXPECT_EQ(combo->itemText(1), QStringLiteral("STICK (E:)"));
}

TEST_F(FileShowingPageTest, ShowsTheDrivesFilesAndOpensTheChkdskLog)
{
    CUrlRecorder recorder;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &recorder, "open");
    CFixUSBWidget page(nullptr);
    Choose(page, true);

    PressActionButton(&page);
    EXPECT_EQ(Hidden(L"E:\\photos"), 0u);
    EXPECT_EQ(Hidden(L"E:\\photos\\beach.jpg"), 0u);
    EXPECT_EQ(Hidden(L"E:\\notes.txt"), 0u);
    const std::string log = testing_support::ReadFile(platform::HostPath(ChkDskLog()));
    EXPECT_GT(log.size(), 200u);

    ASSERT_EQ(ResultBoxes().size(), 1u);
    CMessageBox* box = ResultBoxes()[0];
    EXPECT_TRUE(BoxText(box).contains(QStringLiteral("Operation Completed")));
    ASSERT_NE(FixLogButton(box), nullptr);
    EXPECT_FALSE(FixLogButton(box)->isHidden());
    FixLogButton(box)->click();
    ASSERT_EQ(recorder.opened.size(), 1);
    EXPECT_EQ(recorder.opened[0], QUrl::fromLocalFile(QString::fromStdString(platform::HostPath(ChkDskLog()))));
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));

    const auto results = Events("FileFixing", "Result_Execute", 1);
    ASSERT_EQ(results.size(), 1u);
    const QString attribute = results[0].value("Attribute").toString();
    EXPECT_TRUE(attribute.startsWith(QStringLiteral("{\"Executeresult\": \"Success\",\"ExecuteTime\":\""))) << attribute.toStdString();
    EXPECT_TRUE(attribute.endsWith(QStringLiteral("\"ShowHiddenfiles\": \"On\",\"CheckandFix\": \"On\"}")));
    EXPECT_EQ(Events("FileFixingConfirm", "Click_Close", 1).size(), 1u) << "no question without the clean-up library";
}

TEST_F(FileShowingPageTest, WithoutTheCheckOnlyAttribRunsAndNoLogIsWritten)
{
    CFixUSBWidget page(nullptr);
    Choose(page, false);
    PressActionButton(&page);
    EXPECT_EQ(Hidden(L"E:\\notes.txt"), 0u);
    EXPECT_EQ(GetFileAttributesW(ChkDskLog().c_str()), INVALID_FILE_ATTRIBUTES);
    ASSERT_EQ(ResultBoxes().size(), 1u);
    EXPECT_TRUE(BoxText(ResultBoxes()[0]).contains(QStringLiteral("Operation Completed")));
    EXPECT_TRUE(FixLogButton(ResultBoxes()[0])->isHidden());
}

TEST_F(FileShowingPageTest, AFailingAttribOrChkdskIsAFailure)
{
    const auto runExpectingFailure = [this](const wchar_t* program) {
        FailProgram(program, L"exit");
        CFixUSBWidget page(nullptr);
        Choose(page, true);
        const size_t before = ResultBoxes().size();
        PressActionButton(&page);
        ASSERT_EQ(ResultBoxes().size(), before + 1);
        EXPECT_TRUE(BoxText(ResultBoxes().back()).contains(QStringLiteral("Operation Failed")));
        EXPECT_FALSE(BoxText(ResultBoxes().back()).contains(QStringLiteral("Operation Completed")));
        FailProgram(program, L"");
    };
    runExpectingFailure(L"attrib");
    EXPECT_NE(Hidden(L"E:\\notes.txt"), 0u) << "a refused attrib changed nothing";
    runExpectingFailure(L"chkdsk");
    EXPECT_EQ(Hidden(L"E:\\notes.txt"), 0u) << "attrib worked, chkdsk did not";

    const auto results = Events("FileFixing", "Result_Execute", 2);
    ASSERT_EQ(results.size(), 2u);
    for (const QJsonObject& result : results)
        EXPECT_TRUE(result.value("Attribute").toString().startsWith(QStringLiteral("{\"Executeresult\": \"Fail\",")));
}

// The log lies in the temporary folder of the machine's user, who may plant anything at its name:
// the elevated page neither waits in a FIFO there nor writes through a link out of the machine,
// and the log is written anew in its place.
TEST_F(FileShowingPageTest, WhatTheMachinesUserPlantsAtTheLogNeitherHoldsThePageNorLeadsItsWriteOut)
{
    if (const std::string why = testing_support::WhyNotAsOtherUser(); !why.empty())
        GTEST_SKIP() << why;
    const std::string temp = "drive_c/Users/Owner/AppData/Local/Temp";
    const testing_support::RunPlant plants[] = {
        {"a FIFO at the log", testing_support::PlantKind::Fifo, {"orvanedraviel.txt"}, temp},
        {"a link at the log to a file outside the machine", testing_support::PlantKind::LinkToOutsideFile,
         {"orvanedraviel.txt"}, temp},
    };
    for (const testing_support::RunPlant& plant : plants) {
        testing_support::CPlantedRun planted(plant);
        ASSERT_TRUE(planted.Planted()) << plant.what;
        DescribeMachine(planted.Machine());
        planted.RunCalls([&] {
            CFixUSBWidget page(nullptr);
            Choose(page, true);
            PressActionButton(&page);
        });
        EXPECT_GT(testing_support::ReadFile(platform::HostPath(ChkDskLog())).size(), 200u) << plant.what;
    }
}

TEST(FixingDialogTest, IgnoresCloseRequestsWhileItsTaskRunsAndClosesWhenItEnds)
{
    static std::atomic<bool> release {false};
    release = false;
    CFixingDialog dialog(nullptr);
    int closeAttempts = 0;
    QTimer poker;
    QObject::connect(&poker, &QTimer::timeout, &dialog, [&] {
        if (++closeAttempts <= 5) {
            dialog.reject();
            dialog.close();
            EXPECT_TRUE(dialog.isVisible()) << "closed while its task runs";
        } else {
            release = true;
        }
    });
    poker.start(20);
    dialog.Start([](void*) {
        while (!release)
            QThread::msleep(5);
        return 0;
    }, nullptr);
    EXPECT_GE(closeAttempts, 6);
    EXPECT_FALSE(dialog.isVisible());

    CFixingDialog quick(nullptr);
    quick.Start([](void*) { return 0; }, nullptr);
    EXPECT_FALSE(quick.isVisible()) << "a task that returns at once still ends the dialog";
}

TEST(FixingDialogTest, SitsCentredAboveThePage)
{
    CFixingDialog dialog(nullptr);
    dialog.MoveAbove(QPoint(100, 200), 800);
    EXPECT_EQ(dialog.pos(), QPoint(100 + (800 - 420) / 2, 190));
}

} // namespace

#include "FileShowingPageTest.moc"
