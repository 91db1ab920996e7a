#include "LargeFileMachine.h"

#include "kit/FuncBtn.h"
#include "kit/IndexBtn.h"
#include "kit/MsgBox.h"
#include "kit/NavigateBtn.h"
#include "kit/PageTitle.h"
#include "largefile/DiskWidget.h"
#include "largefile/LFCleanPage.h"
#include "largefile/LFDiskSelScanPage.h"
#include "largefile/LFListData.h"
#include "largefile/LFListView.h"
#include "services/UIPublic.h"
#include "wizard/PageWizard.h"

#include "platform/Machine.h"
#include "support/UsageEvents.h"

#include <QApplication>
#include <QImage>
#include <QJsonDocument>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <thread>

using namespace largefile_test;

namespace {

constexpr uint64_t kMiB = 1024 * 1024;

template <class Button>
Button* FindButton(QWidget* page, int id)
{
    for (Button* button : page->findChildren<Button*>())
        if (button->GetId() == id)
            return button;
    return nullptr;
}

QString HeaderTitle(QWidget* page) { return page->findChild<CPageTitle*>()->GetTitleInfo().title; }

// Answers every message box that comes up with its first button, noting each box's title line.
class CBoxAnswerer {
public:
    CBoxAnswerer()
    {
        QObject::connect(&timer, &QTimer::timeout, [this] {
            auto* box = qobject_cast<CMsgBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            QStringList texts;
            for (QLabel* label : box->findChildren<QLabel*>())
                texts << label->text();
            shown << texts.join('|');
            for (CIndexBtn* button : box->findChildren<CIndexBtn*>())
                if (button->GetId() == 0)
                    QTest::mouseClick(button, Qt::LeftButton);
        });
        timer.start(20);
    }

    QTimer timer;
    QStringList shown;
};

} // namespace

// A partition page whose scan holds at the first large file it finds until the test's action on the
// GUI thread (Cancel pressed, or the window closing) has told the page to stop.
class CHeldScanPage : public CLFDiskSelScanPage {
public:
    bool OnScanFile(IBigFileGarbageInfo* item, std::wstring path, int marker, double fraction) override
    {
        if (!item || held.exchange(true))
            return CLFDiskSelScanPage::OnScanFile(item, path, marker, fraction);
        QMetaObject::invokeMethod(this, action, Qt::QueuedConnection);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(2);
        while (CLFDiskSelScanPage::OnScanFile(item, path, marker, fraction)) {
            if (std::chrono::steady_clock::now() > deadline)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return false;
    }

    std::function<void()> action;
    std::atomic<bool> held{false};
};

class LargeFilePagesTest : public LargeFileTest {
protected:
    // The wizard with the partition page (this one, or a plain one) and the result page; enter
    // shows the partition page.
    void Build(CLFDiskSelScanPage* page = nullptr, bool enter = true)
    {
        scanPage = page ? page : new CLFDiskSelScanPage;
        cleanPage = new CLFCleanPage;
        wizard = std::make_unique<CPageWizard>();
        wizard->AddPage(scanPage);
        wizard->AddPage(cleanPage);
        wizard->resize(800, 471);
        wizard->show();
        scanPage->SetShown(true);
        if (enter)
            wizard->Navigate(PAGEID_LARGE_FILE_SCAN);
    }

    // The tile of the data drive D:, the one fixed disk that does not hold the system.
    CDiskWidget* DataTile()
    {
        for (CDiskWidget* tile : scanPage->findChildren<CDiskWidget*>())
            if (tile->GetType() == 3)
                return tile;
        return nullptr;
    }

    // The events of one window and activity recorded once at least count events are there.
    static std::vector<QJsonObject> Events(size_t count, const char* window, const char* activity)
    {
        return EventsOf(WaitForEvents(count), window, activity);
    }

    CLFDiskSelScanPage* scanPage = nullptr;
    CLFCleanPage* cleanPage = nullptr;
    std::unique_ptr<CPageWizard> wizard;
};

TEST_F(LargeFilePagesTest, ScanningTheTickedDriveListsItsLargeFilesAndDeletesTheTickedOnes)
{
    const std::wstring big = MakeFile("data/Films/holiday.mkv", 30 * kMiB);
    const std::wstring locked = MakeFile("data/backup.zip", 25 * kMiB);
    MakeFile("data/notes.txt", kMiB);
    Build();

    // One tile per usable drive; Scan waits for a tick.
    EXPECT_EQ(scanPage->findChildren<CDiskWidget*>().size(), 2);
    EXPECT_TRUE(HeaderTitle(scanPage).contains("Choose the partition you want to scan."));
    EXPECT_FALSE(scanPage->IsFuncBtnEnabled(0));
    ASSERT_NE(DataTile(), nullptr);
    QTest::mouseClick(DataTile(), Qt::LeftButton);
    EXPECT_TRUE(scanPage->IsFuncBtnEnabled(0));

    // Scan returns once the worker has ended, and the wizard moves on to the results.
    QTest::mouseClick(FindButton<CFuncBtn>(scanPage, 0), Qt::LeftButton);
    ASSERT_EQ(wizard->currentWidget(), cleanPage);
    EXPECT_TRUE(HeaderTitle(cleanPage).contains("Please only choose the file you want to permanently delete."));
    auto* view = cleanPage->findChild<CLFListView*>();
    ASSERT_NE(view, nullptr);
    QAbstractItemModel* rows = view->model();
    ASSERT_EQ(rows->rowCount(), 2);
    EXPECT_EQ(rows->index(0, 0).data().toString(), "holiday.mkv");
    EXPECT_EQ(rows->index(0, 1).data().toString(), "30 MB");
    EXPECT_EQ(rows->index(0, 3).data().toString(), "D:\\Films");
    EXPECT_EQ(rows->index(1, 0).data().toString(), "backup.zip");
    EXPECT_EQ(Events(1, "LargeFileCleanup", "Click_Scan").size(), 1u);

    // Ticking both: the header counts them and Delete comes on.
    EXPECT_FALSE(cleanPage->IsFuncBtnEnabled(0));
    view->resize(760, 300);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(rows->index(0, 1)).center());
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(rows->index(1, 1)).center());
    EXPECT_TRUE(HeaderTitle(cleanPage).contains("files ("));
    EXPECT_TRUE(HeaderTitle(cleanPage).contains("55.0 MB"));
    EXPECT_TRUE(cleanPage->IsFuncBtnEnabled(0));

    // The confirmation is answered Yes; the file held open cannot go.
    HANDLE held = CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    CBoxAnswerer answerer;
    QTest::mouseClick(FindButton<CFuncBtn>(cleanPage, 0), Qt::LeftButton);
    CloseHandle(held);
    ASSERT_EQ(answerer.shown.size(), 2);
    EXPECT_TRUE(answerer.shown[0].contains("The selected file will be permanently deleted."));
    EXPECT_TRUE(answerer.shown[1].contains("Some files could not be deleted."));
    EXPECT_FALSE(std::filesystem::exists(platform::HostPath(big)));
    EXPECT_TRUE(std::filesystem::exists(platform::HostPath(locked)));
    const QString summary = HeaderTitle(cleanPage);
    EXPECT_TRUE(summary.contains("has been deleted successfully.")) << summary.toStdString();
    EXPECT_TRUE(summary.contains("30.0 MB"));
    EXPECT_TRUE(summary.contains("failed"));
    ASSERT_EQ(rows->rowCount(), 1);
    EXPECT_EQ(rows->index(0, 0).data(Qt::CheckStateRole).toInt(), Qt::Unchecked);
    EXPECT_FALSE(cleanPage->IsFuncBtnEnabled(0));
    EXPECT_TRUE(cleanPage->IsNavBtnVisible(4));

    // Scan, Delete, the confirmation, the held file's reason, the summary and the failure box.
    const auto completed = Events(6, "DeleteCompleted", "Info_DeleteCompleted");
    ASSERT_EQ(completed.size(), 1u);
    EXPECT_EQ(QJsonDocument::fromJson(completed[0].value("Attribute").toString().toUtf8()).object().value("DeleteSize").toString(),
              "30.0 MB");
    EXPECT_EQ(Events(6, "DeleteWindow", "Click_OK").size(), 1u);
    EXPECT_EQ(Events(6, "NotDeleteWindow", "Click_OK").size(), 1u);

    // Back to the drives.
    QTest::mouseClick(FindButton<CNavigateBtn>(cleanPage, 4), Qt::LeftButton);
    EXPECT_EQ(wizard->currentWidget(), scanPage);
    EXPECT_TRUE(scanPage->IsFuncBtnVisible(0));
    EXPECT_FALSE(scanPage->IsFuncBtnVisible(1));
}

// The header's own ground at each of its labels' corners, where no text is drawn: no panel of
// the content shows behind them.
TEST_F(LargeFilePagesTest, BothPagesShowTheirHeaderOnTheHeadersOwnGround)
{
    MakeFile("data/Films/holiday.mkv", 30 * kMiB);
    Build();
    const auto checkHeader = [](QWidget* page) {
        auto* header = page->findChild<CPageTitle*>();
        ASSERT_NE(header, nullptr);
        const QColor ground = header->GetTitleInfo().background;
        const QImage image = page->grab().toImage();
        int labels = 0;
        for (QLabel* label : header->findChildren<QLabel*>()) {
            if (!label->isVisible() || label->pixmap())
                continue;
            ++labels;
            EXPECT_EQ(image.pixelColor(label->mapTo(page, QPoint(0, 0))).name(), ground.name())
                << page->metaObject()->className() << ": " << label->text().toStdString();
        }
        EXPECT_GE(labels, 2) << page->metaObject()->className();
    };
    checkHeader(scanPage);
    QTest::mouseClick(DataTile(), Qt::LeftButton);
    QTest::mouseClick(FindButton<CFuncBtn>(scanPage, 0), Qt::LeftButton);
    ASSERT_EQ(wizard->currentWidget(), cleanPage);
    checkHeader(cleanPage);
}

TEST_F(LargeFilePagesTest, WithoutAGathererThePageStaysInertAndItsScanIsShownAsFailed)
{
    // The gatherer goes after the page was built: the page asks for it each time.
    Build(nullptr, false);
    ASSERT_EQ(scanPage->findChildren<CDiskWidget*>().size(), 2);
    CUIPublic::Instance()->UnloadBulkseek();
    QSignalSpy names(scanPage, &CPage::CurWindowName);
    wizard->Navigate(PAGEID_LARGE_FILE_SCAN);
    EXPECT_EQ(names.count(), 0);
    EXPECT_FALSE(HeaderTitle(scanPage).contains("Choose the partition you want to scan."));
    wizard->onNavigate(scanPage->OnFuncBtn(0));
    ASSERT_EQ(wizard->currentWidget(), cleanPage);
    const QString title = HeaderTitle(cleanPage);
    EXPECT_TRUE(title.contains("Scanning failed.")) << title.toStdString();
    EXPECT_FALSE(title.contains("No large files found."));
    EXPECT_FALSE(cleanPage->IsFuncBtnEnabled(0));
}

TEST_F(LargeFilePagesTest, APageShownAndLeftWithoutAnyPressReportsSoOnce)
{
    Build();
    wizard.reset();
    EXPECT_EQ(testing_support::InfoDataReports("Clean_Large_File_NoOperation"), 1u);
}

TEST_F(LargeFilePagesTest, CancelStopsTheScanAtTheNextFileAndTheResultsSaySo)
{
    MakeFile("data/holiday.mkv", 30 * kMiB);
    Build();
    QTest::mouseClick(DataTile(), Qt::LeftButton);
    EXPECT_EQ(scanPage->OnFuncBtn(1), 0);
    EXPECT_FALSE(scanPage->OnScanFile(nullptr, L"D:\\holiday.mkv", 1, 0.5));
    EXPECT_EQ(Events(1, "LargeFileScanning", "Click_Cancel").size(), 1u);
    EXPECT_EQ(testing_support::InfoDataReports("OperationLargeFile_Analyze2CancelTime"), 1u);

    // What a scan stopped after its first file leaves for the result page.
    CheckDrives(L"D");
    Scan(20 * kMiB);
    CLFListData* found = scanPage->GetListData();
    std::thread worker([found] { found->LoadGarbages(true); });
    worker.join();
    found->ShowLoaded();
    wizard->Navigate(PAGEID_LARGE_FILE_RESULT);
    EXPECT_TRUE(HeaderTitle(cleanPage).contains("Scanning cancelled.")) << HeaderTitle(cleanPage).toStdString();
    EXPECT_FALSE(HeaderTitle(cleanPage).contains("No large files found."));
    found->ClearItems();
    wizard->Navigate(PAGEID_LARGE_FILE_SCAN);
    wizard->Navigate(PAGEID_LARGE_FILE_RESULT);
    EXPECT_TRUE(HeaderTitle(cleanPage).contains("Scanning cancelled. No large files found."));
}

TEST_F(LargeFilePagesTest, AGathererLoadedAfterThePageWasBuiltScansAndListsForIt)
{
    MakeFile("data/holiday.mkv", 30 * kMiB);
    CUIPublic::Instance()->UnloadBulkseek();
    Build(nullptr, false);
    ASSERT_TRUE(CUIPublic::Instance()->InitLargeFile());
    gatherer = CUIPublic::Instance()->GetBulkseek();
    CheckDrives(L"D");
    wizard->Navigate(PAGEID_LARGE_FILE_SCAN);
    EXPECT_TRUE(HeaderTitle(scanPage).contains("Choose the partition you want to scan."));
    wizard->onNavigate(scanPage->OnFuncBtn(0));
    ASSERT_EQ(wizard->currentWidget(), cleanPage);
    ASSERT_EQ(scanPage->GetListData()->GetCount(), 1);
    EXPECT_EQ(scanPage->GetListData()->index(0, 0).data().toString(), "holiday.mkv");
}

TEST_F(LargeFilePagesTest, AScanStoppedByCancelListsWhatItFoundAndOneStoppedByClosingTheWindowListsNothing)
{
    MakeFile("data/Films/holiday.mkv", 30 * kMiB);
    MakeFile("data/backup.zip", 25 * kMiB);
    CheckDrives(L"D");
    auto* page = new CHeldScanPage;
    Build(page);
    ASSERT_TRUE(DataTile()->IsChecked());
    CLFListData* found = scanPage->GetListData();

    page->action = [this] { QTest::mouseClick(FindButton<CFuncBtn>(scanPage, 1), Qt::LeftButton); };
    QTest::mouseClick(FindButton<CFuncBtn>(scanPage, 0), Qt::LeftButton);
    ASSERT_TRUE(page->held);
    ASSERT_EQ(wizard->currentWidget(), cleanPage);
    EXPECT_TRUE(found->IsCancelled());
    EXPECT_GE(found->GetCount(), 1);
    EXPECT_LE(found->GetCount(), 2);
    EXPECT_TRUE(HeaderTitle(cleanPage).contains("Scanning cancelled.")) << HeaderTitle(cleanPage).toStdString();
    EXPECT_FALSE(HeaderTitle(cleanPage).contains("No large files found."));
    EXPECT_EQ(Events(2, "LargeFileScanning", "Click_Cancel").size(), 1u);
    EXPECT_EQ(testing_support::InfoDataReports("OperationLargeFile_Analyze2CancelTime"), 1u);

    // Scanning again, the window closes while the scan is in hand: it stops, loads nothing and
    // still moves on.
    wizard->Navigate(PAGEID_LARGE_FILE_SCAN);
    page->held = false;
    page->action = [this] { wizard->CancelAll(); };
    QTest::mouseClick(FindButton<CFuncBtn>(scanPage, 0), Qt::LeftButton);
    ASSERT_TRUE(page->held);
    EXPECT_EQ(wizard->currentWidget(), cleanPage);
    EXPECT_EQ(found->GetCount(), 0);
}
