// The disk optimisation page over the real volume lister and controllers, which run the machine's
// stand-in defragmenter; the model alone over a lister of the test's own.

#include "diskopt/DiskOptPage.h"
#include "services/UIPublic.h"

#include "jex_main/Scatterscope/DefragMachine.h"
#include "jex_main/volume_list/IDrivelist.h"
#include "support/ColourContrast.h"
#include "support/TempMachine.h"
#include "support/UsageEvents.h"

#include "platform/Machine.h"

#include <QHeaderView>
#include <QImage>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <mutex>
#include <vector>

namespace {

using scatterscope_test::SetMachineKey;

constexpr int kStatus = 2;
constexpr int kD = 1; // the row of D:, the lister sorting by letter

class DiskOptPageTest : public testing::Test {
protected:
    void SetUp() override
    {
        scatterscope_test::PrepareMachine(machine, "10.0.19045", "[Drive D]\nFragmentation=12\n");
        const std::string build = testing_support::BuildProgramFolder();
        // Copies, not links: Windows calls see a link that leads out of the machine as broken.
        for (const char* file : {"Drivelist.so", "Scatterscope.so", "res"})
            std::filesystem::copy(build + "/" + file, platform::ProgramFolder() + "/" + file,
                                  std::filesystem::copy_options::recursive);
        ASSERT_TRUE(CUIPublic::Instance()->LoadDefragPlugins());
        page = std::make_unique<CDiskOptPage>();
    }

    void TearDown() override
    {
        page.reset();
        CUIPublic::ReleaseInstance();
    }

    QString Status(int row) const { return page->Data()->index(row, kStatus).data().toString(); }
    QString StatusWhen(int row, int32_t state)
    {
        for (int i = 0; i < 3000 && page->Data()->GetRow(row)->state != state; ++i)
            QTest::qWait(10);
        EXPECT_EQ(page->Data()->GetRow(row)->state.load(), state);
        // The report's change reaches the page queued from the controller's thread.
        QTest::qWait(50);
        return Status(row);
    }
    void Click(int row, Qt::MouseButton button = Qt::LeftButton)
    {
        CDiskOptList* list = page->List();
        QTest::mouseClick(list->viewport(), button, {}, list->visualRect(page->Data()->index(row, 0)).center());
    }
    // Analyze enabled, Analyze shown, Optimize enabled, Optimize shown, Stop 1 shown, Stop 3 shown.
    std::vector<bool> Buttons() const
    {
        return {page->IsFuncBtnEnabled(0), page->IsFuncBtnVisible(0), page->IsFuncBtnEnabled(2),
                page->IsFuncBtnVisible(2), page->IsFuncBtnVisible(1), page->IsFuncBtnVisible(3)};
    }

    testing_support::TempMachine machine;
    std::unique_ptr<CDiskOptPage> page;
};

const std::vector<bool> kIdle = {true, true, true, true, false, false};

TEST_F(DiskOptPageTest, ListsTheVolumesAndAnalysesAndOptimisesOneEndToEnd)
{
    page->resize(690, 470);
    page->show();
    CDiskOptData* data = page->Data();
    ASSERT_EQ(data->rowCount(), 6);
    EXPECT_EQ(data->index(0, 0).data().toString(), QStringLiteral("VolumeC(C:)"));
    EXPECT_EQ(data->index(kD, 1).data().toString(), QStringLiteral("Hard disk drive"));
    EXPECT_FALSE(data->index(0, 0).data(Qt::DecorationRole).value<QPixmap>().isNull());
    EXPECT_EQ(Buttons(), (std::vector<bool>{false, true, false, true, false, false})) << "nothing chosen yet";

    Click(kD, Qt::RightButton);
    EXPECT_EQ(Buttons(), kIdle);
    page->OnFuncBtn(CDiskOptPage::AnalyzeBtn);
    EXPECT_NE(data->GetRow(kD)->state.load(), 0) << "the queued state comes back before Start returns";
    EXPECT_EQ(Buttons(), (std::vector<bool>{false, false, false, true, true, false}));
    EXPECT_EQ(StatusWhen(kD, DEFRAG_STATE_ANALYSED), QStringLiteral("Completed (12% fragmented)"));
    EXPECT_EQ(Buttons(), kIdle);

    page->OnFuncBtn(CDiskOptPage::OptimizeBtn);
    EXPECT_EQ(Buttons(), (std::vector<bool>{false, true, false, false, false, true}));
    EXPECT_EQ(StatusWhen(kD, DEFRAG_STATE_DEFRAGMENTED), QStringLiteral("Completed"));
    EXPECT_EQ(Buttons(), (std::vector<bool>{true, true, false, true, false, false})) << "no second optimisation";
    EXPECT_EQ(Status(0), QString()) << "the other volumes keep their state";

    // Clicking below the rows keeps the chosen volume.
    QTest::mouseClick(page->List()->viewport(), Qt::LeftButton, {}, QPoint(10, page->List()->viewport()->height() - 2));
    page->OnFuncBtn(CDiskOptPage::AnalyzeBtn);
    EXPECT_EQ(StatusWhen(kD, DEFRAG_STATE_ANALYSED), QStringLiteral("Completed (0% fragmented)"));
}

using testing_support::Contrast;

TEST_F(DiskOptPageTest, TheChosenVolumeStandsOutFromTheOtherRows)
{
    page->resize(690, 470);
    page->show();
    CDiskOptList* list = page->List();
    Click(kD);
    // The pointer leaves the rows, so that no row is drawn hovered.
    QTest::mouseMove(list->viewport(), QPoint(10, list->viewport()->height() - 2));
    const QImage image = list->viewport()->grab().toImage();
    // Right of the texts, in the empty status column of idle volumes.
    const auto fill = [&](int row) {
        const QRect cell = list->visualRect(page->Data()->index(row, kStatus));
        return image.pixelColor(cell.right() - 4, cell.center().y());
    };
    for (int row : {0, kD + 1})
        EXPECT_GE(Contrast(fill(kD), fill(row)), 1.5) << "against row " << row;
}

TEST_F(DiskOptPageTest, TheListHeaderIsDarkToItsLastPixelRow)
{
    page->resize(690, 470);
    page->show();
    QHeaderView* header = page->List()->header();
    const QImage image = header->grab().toImage();
    const QColor section("#252b38");
    for (int x = 0; x < image.width(); ++x)
        ASSERT_LT(Contrast(image.pixelColor(x, image.height() - 1), section), 1.5) << "at x " << x;
}

TEST_F(DiskOptPageTest, AFailingDefragmenterShowsAsAFailure)
{
    SetMachineKey(L"Drive D", L"DefragFail", L"exit");
    page->ItemSelected(kD);
    page->OnFuncBtn(CDiskOptPage::OptimizeBtn);
    EXPECT_EQ(StatusWhen(kD, DEFRAG_STATE_DEFRAG_FAILED), QStringLiteral("Failed to defragment"));
    EXPECT_EQ(Buttons(), kIdle);
    page->OnFuncBtn(CDiskOptPage::AnalyzeBtn);
    EXPECT_EQ(StatusWhen(kD, DEFRAG_STATE_ANALYSIS_FAILED), QStringLiteral("Failed to analyze"));
}

TEST_F(DiskOptPageTest, StopCancelsCleanlyAndClosingWaitsForTheRunningWork)
{
    SetMachineKey(L"Drive D", L"DefragBlocked", L"1");
    SetMachineKey(L"Drive E", L"DefragBlocked", L"1");
    page->ItemSelected(kD);
    page->OnFuncBtn(CDiskOptPage::OptimizeBtn);
    const QString running = StatusWhen(kD, DEFRAG_STATE_DEFRAGMENTING);
    EXPECT_TRUE(running.startsWith(QStringLiteral("Defragmenting."))) << running.toStdString();
    page->OnFuncBtn(CDiskOptPage::StopOptimizeBtn);
    EXPECT_EQ(StatusWhen(kD, DEFRAG_STATE_DEFRAG_CANCELLED), QString());
    EXPECT_EQ(Buttons(), kIdle);

    // Another volume left running: the page's end stops it and waits for the run's last report,
    // which still reaches the model, and no report reaches the model after it is gone.
    page->ItemSelected(kD + 1);
    page->OnFuncBtn(CDiskOptPage::AnalyzeBtn);
    StatusWhen(kD + 1, DEFRAG_STATE_ANALYSING);
    std::mutex reportsLock;
    std::vector<int32_t> lastReports;
    CDiskOptData* data = page->Data();
    QObject::connect(data, &CDiskOptData::ItemChanged, [&, data](int row) {
        std::lock_guard<std::mutex> hold(reportsLock);
        lastReports.push_back(row == kD + 1 ? data->GetRow(row)->state.load() : -row);
    });
    page.reset();
    std::lock_guard<std::mutex> hold(reportsLock);
    EXPECT_EQ(lastReports, std::vector<int32_t>{DEFRAG_STATE_ANALYSIS_CANCELLED});
}

TEST_F(DiskOptPageTest, ReportsTheTimeToEachStopAndAPageShownButLeftUnused)
{
    using testing_support::InfoDataReports;
    page->SetShown(true);
    page.reset();
    EXPECT_EQ(InfoDataReports("Clean_Disk_Optimize_NoOperation"), 1u);

    SetMachineKey(L"Drive D", L"DefragBlocked", L"1");
    page = std::make_unique<CDiskOptPage>();
    page->SetShown(true);
    page->ItemSelected(kD);
    page->OnFuncBtn(CDiskOptPage::AnalyzeBtn);
    StatusWhen(kD, DEFRAG_STATE_ANALYSING);
    page->OnFuncBtn(CDiskOptPage::StopAnalyzeBtn);
    StatusWhen(kD, DEFRAG_STATE_ANALYSIS_CANCELLED);
    page->OnFuncBtn(CDiskOptPage::OptimizeBtn);
    StatusWhen(kD, DEFRAG_STATE_DEFRAGMENTING);
    page->OnFuncBtn(CDiskOptPage::StopOptimizeBtn);
    StatusWhen(kD, DEFRAG_STATE_DEFRAG_CANCELLED);
    page.reset();
    EXPECT_EQ(InfoDataReports("OperationDiskOpt_Analyze2CancelTime"), 1u);
    EXPECT_EQ(InfoDataReports("OperationDiskOpt_Optimize2CancelTime"), 1u);
    EXPECT_EQ(InfoDataReports("Clean_Disk_Optimize_NoOperation"), 1u) << "a page that was used reports nothing";
}

// Hands out a first count and then fewer records, as when a drive goes between the two calls.
class ShrinkingLister : public IDrivelist {
public:
    OpResult Init() override { return 0; }
    OpResult Uninit() override { return 0; }
    OpResult GetVolumes(_Volume_Info_* volumes, uint32_t* count) override
    {
        if (!volumes) {
            *count = 3;
            return 0;
        }
        const _Volume_Info_ records[] = {{L"\\\\?\\Volume{aa}\\", L"System", 2, VOLUME_FS_NTFS},
                                         {L"\\\\?\\Volume{bb}\\", L"Hidden", -1, VOLUME_FS_NTFS}};
        *count = 2;
        std::copy(std::begin(records), std::end(records), volumes);
        return 0;
    }
};

TEST(DiskOptDataTest, TakesFewerVolumesAndMatchesStatusRecordsIgnoringCase)
{
    testing_support::TempMachine machine;
    machine.UseProgramFolder();
    std::filesystem::copy(testing_support::BuildProgramFolder() + "/res", platform::ProgramFolder() + "/res",
                          std::filesystem::copy_options::recursive);
    ShrinkingLister lister;
    CDiskOptData data;
    data.LoadVolumes(&lister);
    ASSERT_EQ(data.rowCount(), 2);
    EXPECT_EQ(data.index(1, 0).data().toString(), QStringLiteral("Hidden")) << "no letter, the label alone";
    EXPECT_FALSE(data.index(1, 0).data(Qt::DecorationRole).value<QPixmap>().isNull());
    EXPECT_EQ(data.rowCount(data.index(0, 0)), 0);

    QSignalSpy changed(&data, &CDiskOptData::ItemChanged);
    _Defrag_Status_Info_ status{L"\\\\?\\VOLUME{BB}\\", DEFRAG_STATE_ANALYSED, 12};
    CDiskOptData::DiskOptStatusProc(&data, &status);
    EXPECT_EQ(data.index(1, 2).data().toString(), QStringLiteral("Completed (12% fragmented)"));
    _Defrag_Status_Info_ stranger{L"\\\\?\\Volume{cc}\\", DEFRAG_STATE_ANALYSING, 0};
    CDiskOptData::DiskOptStatusProc(&data, &stranger);
    CDiskOptData::DiskOptStatusProc(&data, nullptr);
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed[0][0].toInt(), 1);

    status.state = DEFRAG_STATE_ANALYSING;
    CDiskOptData::DiskOptStatusProc(&data, &status);
    QStringList texts;
    for (int i = 0; i < 4; ++i)
        texts << data.index(1, 2).data().toString();
    EXPECT_EQ(texts, (QStringList{"Analyzing.", "Analyzing..", "Analyzing...", "Analyzing."}));
}

} // namespace
