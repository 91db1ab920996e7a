#include "JunkPageFixture.h"
#include "JunkTestSupport.h"
#include "junk/BindData.h"
#include "junk/CleanupTreeList.h"
#include "kit/MsgBox.h"
#include "services/UIPublic.h"
#include "support/UsageEvents.h"
#include "support/WaitUntil.h"

#include "common/RunningProcesses.h"

#include <QJsonDocument>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace junk_test {
namespace {

using Page = CSelectScanPage;

TEST_F(JunkPage, AnalysisShowsTheCategoriesTheirSizesCountsAndStates)
{
    EXPECT_TRUE(page->IsFuncBtnVisible(Page::BtnAnalyze));
    EXPECT_FALSE(page->IsFuncBtnVisible(Page::BtnCleanUp));
    EXPECT_FALSE(page->IsNavBtnVisible(NAVBTN_BACK));
    EXPECT_TRUE(HeaderText().contains("Delete junk files to save disk space"));
    ASSERT_NE(Row("System junk"), nullptr);
    ASSERT_NE(Row("Web browsers"), nullptr);
    QTreeWidgetItem* chrome = Row("Google Chrome");
    ASSERT_NE(chrome, nullptr);
    EXPECT_TRUE(chrome->isDisabled()) << "browser programs are shown, not ticked";
    EXPECT_EQ(Row("Windows"), nullptr) << "system groups show no program rows";
    for (const char* name : {"System junk", "Prefetch files"}) {
        const bindData row = junk_rows::RowData(Row(name));
        ASSERT_NE(row.object, nullptr) << name;
        EXPECT_EQ(Row(name)->checkState(0), static_cast<Qt::CheckState>(row.object->GetCheckState())) << name;
    }

    QSignalSpy work(page.get(), &CPage::WorkStart);
    page->StartScan();
    ASSERT_EQ(work.count(), 2);
    EXPECT_TRUE(work.at(0).at(0).toBool());
    EXPECT_FALSE(work.at(1).at(0).toBool());

    const bindData prefetch = junk_rows::RowData(Row("Prefetch files"));
    ASSERT_NE(prefetch.object, nullptr);
    EXPECT_EQ(prefetch.object->GetFileCount(), 2u);
    EXPECT_EQ(prefetch.object->GetTotalSize(), 300u);
    EXPECT_EQ(prefetch.size, 300u) << "what was found reaches the row";
    EXPECT_GE(prefetch.count, 1);
    const bindData system = junk_rows::RowData(Row("System junk"));
    EXPECT_EQ(system.object->GetState(), 2);

    const QString size = CUIPublic::FormatSize(kJunkSize);
    EXPECT_TRUE(HeaderText().contains("Analysis Completed"));
    EXPECT_TRUE(HeaderText().contains(QString("Found: %1, Selected: %1").arg(size))) << HeaderText().toStdString();
    EXPECT_TRUE(page->IsFuncBtnVisible(Page::BtnCleanUp));
    EXPECT_TRUE(page->IsNavBtnVisible(NAVBTN_BACK));
    EXPECT_FALSE(page->IsFuncBtnVisible(Page::BtnAnalyze));
    EXPECT_EQ(Count(Events(1), "SystemCleanup", "Click_Analyze"), 1);
}

TEST_F(JunkPage, CleanUpRemovesExactlyTheTickedJunkAndReportsItOnce)
{
    using testing_support::StatisticsCalls;
    CUIPublic::SetUserSetting("execcleanup", true);
    page->StartScan();
    EXPECT_EQ(StatisticsCalls("SmartSpy.CountEvent"), std::vector<std::string>{"SmartSpy.CountEvent(69640)"})
        << "the analysis is counted (0x11008)";
    emit page->Tree()->checkToggled(Row("Other applications"));
    EXPECT_TRUE(HeaderText().contains(QString("Selected: %1").arg(CUIPublic::FormatSize(kJunkSize - kNpmSize))));
    EXPECT_EQ(Row("Other applications")->checkState(0), Qt::Unchecked) << "the row follows its category";

    page->OnFuncBtn(Page::BtnCleanUp);
    // The clean-up is counted (0x1100A) and its time in milliseconds kept (0x11006).
    EXPECT_EQ(StatisticsCalls("SmartSpy.CountEvent"),
              (std::vector<std::string>{"SmartSpy.CountEvent(69640)", "SmartSpy.CountEvent(69642)"}));
    const std::vector<std::string> values = StatisticsCalls("SpySetValueEx");
    ASSERT_EQ(values.size(), 1u);
    EXPECT_EQ(values[0].rfind("SpySetValueEx(69638, ", 0), 0u) << values[0];
    EXPECT_NE(values[0].find(", 0)"), std::string::npos) << "the high half is 0: " << values[0];
    for (const Planted& junk : kJunk)
        EXPECT_EQ(Exists(junk.relative), junk.size == kNpmSize) << junk.relative;
    EXPECT_TRUE(Exists("Windows/Prefetch/keep.txt"));

    const QString cleaned = CUIPublic::FormatSize(kJunkSize - kNpmSize);
    EXPECT_TRUE(HeaderText().contains("Cleanup Completed"));
    EXPECT_TRUE(HeaderText().contains(cleaned + " files have been cleaned up successfully."));
    EXPECT_FALSE(page->IsFuncBtnVisible(Page::BtnCleanUp));
    EXPECT_TRUE(page->IsNavBtnVisible(NAVBTN_BACK) && page->IsNavBtnEnabled(NAVBTN_BACK));

    // A tick after the clean-up neither rewrites the result as "0 KB" nor reports it again.
    emit page->Tree()->checkToggled(Row("Other applications"));
    EXPECT_TRUE(HeaderText().contains(cleaned + " files have been cleaned up successfully."));
    std::vector<QJsonObject> events = Events(3);
    page->StartScan();  // a later analysis's event marks the end of what the tick could have sent
    events = Events(events.size() + 1);
    ASSERT_EQ(Count(events, "CleanupCompleted", "Info_CleanupCompleted"), 1);
    for (const QJsonObject& event : events) {
        if (event.value("Activity") == "Info_CleanupCompleted") {
            EXPECT_EQ(QJsonDocument::fromJson(event.value("Attribute").toString().toUtf8()).object().value("CleanupSize"),
                      cleaned);
        }
    }
    EXPECT_EQ(Count(events, "AnalyzeCompleted", "Click_Cleanup"), 1);
}

TEST_F(JunkPage, ARefusedConfirmationRemovesNothingAndLeavesThePageReady)
{
    page->StartScan();
    AnswerBox([](CMsgBox* box) { Press(box, 1, true); });
    page->OnFuncBtn(Page::BtnCleanUp);
    for (const Planted& junk : kJunk)
        EXPECT_TRUE(Exists(junk.relative)) << junk.relative;
    EXPECT_FALSE(page->IsBusy());
    EXPECT_TRUE(page->IsFuncBtnVisible(Page::BtnCleanUp));
    EXPECT_FALSE(CUIPublic::GetUserSetting("execcleanup").toBool());

    AnswerBox([](CMsgBox* box) { box->done(CMsgBox::kClosed); });
    page->OnFuncBtn(Page::BtnCleanUp);
    EXPECT_TRUE(Exists(kJunk[0].relative));

    // Yes with the box ticked: the question is not asked again.
    AnswerBox([](CMsgBox* box) { Press(box, 0, true); });
    page->OnFuncBtn(Page::BtnCleanUp);
    EXPECT_FALSE(Exists(kJunk[0].relative));
    EXPECT_TRUE(CUIPublic::GetUserSetting("execcleanup").toBool());

    const std::vector<QJsonObject> events = Events(9);  // with the analysis, three clean-up clicks and the result
    EXPECT_EQ(Count(events, "ProceedWindow", "Click_No"), 1);
    EXPECT_EQ(Count(events, "ProceedWindow", "Click_Close"), 1);
    EXPECT_EQ(Count(events, "ProceedWindow", "Click_Yes"), 1);
    EXPECT_EQ(Count(events, "ProceedWindow", "Click_DontShow"), 1);
}

TEST_F(JunkPage, ABackgroundAnalysisReportsOnlyThroughItsSignal)
{
    QSignalSpy finished(page.get(), &Page::sigScanFinished);
    page->ScanLater(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished.count() == 1; }, testing_support::kPatience.count()));
    EXPECT_EQ(finished.at(0).at(0).toULongLong(), kJunkSize);

    page->StartScan();  // a manual one: its event is the first and only "Click_Analyze"
    EXPECT_EQ(finished.count(), 1);
    EXPECT_EQ(Count(Events(1), "SystemCleanup", "Click_Analyze"), 1);
}

TEST_F(JunkPage, AStoppedBackgroundAnalysisReportsNothingAndTheNextOneStillDoes)
{
    QSignalSpy finished(page.get(), &Page::sigScanFinished);
    QSignalSpy work(page.get(), &CPage::WorkStart);
    QSignalSpy navigate(page.get(), &CPage::navigate);
    bool stopped = false;
    QObject::connect(page.get(), &CPage::WorkStart, [&](bool started) {
        if (started && !stopped) {
            stopped = true;
            page->StopWork();  // the main window is shown while the background analysis runs
        }
    });
    page->ScanLater(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return navigate.count() == 1; }, 10000));
    EXPECT_EQ(work.count(), 2);
    EXPECT_EQ(finished.count(), 0) << "a stopped analysis found only part of the junk";

    page->ScanLater(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished.count() == 1; }, 10000));
    EXPECT_EQ(finished.at(0).at(0).toULongLong(), kJunkSize);

    page->StartScan();  // the user's own: its event is the first and only "Click_Analyze"
    EXPECT_EQ(finished.count(), 1);
    // Every event sent so far is written once no sender runs any more.
    ASSERT_TRUE(QTest::qWaitFor([] { return running_processes::IdsOf({L"Preludex.exe"}, 64).empty(); }, 10000));
    EXPECT_EQ(Count(Events(), "SystemCleanup", "Click_Analyze"), 1);
}

TEST_F(JunkPage, RequestsDuringWorkAreIgnoredAndAStopLeavesOnceTheWorkerHasEnded)
{
    QSignalSpy navigate(page.get(), &CPage::navigate);
    QSignalSpy finished(page.get(), &Page::sigScanFinished);
    QSignalSpy work(page.get(), &CPage::WorkStart);
    int rowsDuringWork = -1;
    bool asked = false;
    QObject::connect(page.get(), &CPage::WorkStart, [&](bool started) {
        if (!started || asked)
            return;
        asked = true;
        page->ScanLater(true);
        page->CleanLater();
        page->StartScan();
        page->OnEnter(nullptr);
        page->StopWork();
        EXPECT_FALSE(page->IsNavBtnVisible(NAVBTN_BACK));
        rowsDuringWork = page->Tree()->topLevelItemCount();
        EXPECT_EQ(navigate.count(), 0) << "nothing leaves while the worker runs";
    });
    page->StartScan();
    EXPECT_GT(rowsDuringWork, 0) << "the tree stays while the worker uses it";
    ASSERT_EQ(navigate.count(), 1);
    EXPECT_EQ(navigate.at(0).at(0).toInt(), PAGEID_JUNK_SCAN);

    QTest::qWait(400);  // the ignored requests' timers would have fired by now
    EXPECT_EQ(work.count(), 2) << "one analysis only";
    EXPECT_EQ(finished.count(), 0);
    for (const Planted& junk : kJunk)
        EXPECT_TRUE(Exists(junk.relative)) << junk.relative;
    EXPECT_TRUE(HeaderText().contains("Analysis cancelled.") || HeaderText().contains("Delete junk files"));
}

} // namespace
} // namespace junk_test

namespace junk_test {
namespace {

TEST(JunkPageWithoutGatherer, ShowsItsStartHeaderWithAnalyzeOffAndStartsNothing)
{
    testing_support::TempMachine machine;
    machine.UseProgramFolder();
    // An earlier case of the process may have loaded the gatherer, which stays loaded.
    CUIPublic::ReleaseInstance();
    EXPECT_FALSE(CUIPublic::Instance()->InitSysClean());
    CSelectScanPage page;
    page.OnEnter(nullptr);
    EXPECT_TRUE(page.IsFuncBtnVisible(CSelectScanPage::BtnAnalyze));
    EXPECT_FALSE(page.IsFuncBtnEnabled(CSelectScanPage::BtnAnalyze));
    EXPECT_EQ(page.Tree()->topLevelItemCount(), 0);

    QSignalSpy work(&page, &CPage::WorkStart);
    page.StartScan();
    page.OnFuncBtn(CSelectScanPage::BtnCleanUp);
    page.CleanLater();
    QTest::qWait(200);
    EXPECT_EQ(work.count(), 0);
}

} // namespace
} // namespace junk_test
