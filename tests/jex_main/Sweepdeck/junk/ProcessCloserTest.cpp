#include "JunkPageFixture.h"
#include "JunkTestSupport.h"
#include "junk/ProcessCloser.h"
#include "kit/MsgBox.h"
#include "services/UIPublic.h"
#include "support/WaitUntil.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <thread>
#include <vector>

namespace junk_test {
namespace {

TEST(ProcessCloser, NeverSignalsImpossibleIdsOrItselfAndTakesAtMost64)
{
    const DWORD self = GetCurrentProcessId();
    const DWORD ids[] = {5, static_cast<DWORD>(INT_MAX) + 1u, self, 0xFFFFFFFFu, 7, 0, 9};
    EXPECT_EQ(CloseableProcessIds(ids), (QVector<quint64>{5, 7}));
    EXPECT_TRUE(CloseableProcessIds(nullptr).isEmpty());

    std::vector<DWORD> many(100, 0);
    for (DWORD i = 0; i < 99; ++i)
        many[i] = 1000 + i;
    const QVector<quint64> cut = CloseableProcessIds(many.data());
    ASSERT_EQ(cut.size(), 64);
    EXPECT_EQ(cut.back(), 1063u);

    EXPECT_FALSE(TerminateProcessById(self));
    EXPECT_FALSE(TerminateProcessById(0));
    EXPECT_FALSE(TerminateProcessById(static_cast<quint64>(INT_MAX) + 1));
}

// The gatherer asks on its worker; the page answers on the GUI thread, which keeps running.
bool AskFromWorker(CSelectScanPage& page, const DWORD* ids)
{
    bool closed = false;
    std::atomic<bool> done{false};
    std::thread worker([&] {
        closed = page.OnCloseProcess(L"Web <b>Browser</b>", ids, 0);
        done = true;
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return done.load(); }, testing_support::kPatience.count()));
    worker.join();
    return closed;
}

TEST_F(JunkPage, TheCloseQuestionHoldsOnlyTheWorkerAndKeepsTheAnswerAsAsked)
{
    const DWORD ids[] = {GetCurrentProcessId(), 0};
    CUIPublic::SetUserSetting("terminatePro", 2);
    QString question;
    AnswerBox([&](CMsgBox* box) {
        for (QObject* child : box->findChildren<QObject*>())
            if (child->property("text").toString().contains("Browser"))
                question = child->property("text").toString();
        Press(box, 0, true);
    });
    EXPECT_TRUE(AskFromWorker(*page, ids)) << "Close with the box ticked is still Close";
    EXPECT_TRUE(question.contains("&lt;b&gt;")) << "the name is shown as it is, not as markup";
    EXPECT_EQ(CUIPublic::GetUserSetting("terminatePro").toInt(), 1);

    // Stored "close without asking": no question, and this process is never among those ended.
    EXPECT_TRUE(AskFromWorker(*page, ids));
    CUIPublic::SetUserSetting("terminatePro", 0);
    EXPECT_FALSE(AskFromWorker(*page, ids));

    CUIPublic::SetUserSetting("terminatePro", 2);
    AnswerBox([](CMsgBox* box) { Press(box, 1, false); });
    EXPECT_FALSE(AskFromWorker(*page, ids));
    EXPECT_EQ(CUIPublic::GetUserSetting("terminatePro").toInt(), 2);

    const std::vector<QJsonObject> events = Events(3);
    EXPECT_EQ(Count(events, "SkipWindow", "Click_Close"), 1);
    EXPECT_EQ(Count(events, "SkipWindow", "Click_DontShow"), 1);
    EXPECT_EQ(Count(events, "SkipWindow", "Click_Skip"), 1);
}

TEST_F(JunkPage, OnceCancelledNoApplicationIsEndedOrAskedAbout)
{
    // No process of the machine has this id: ending it would fail, but the answer would say closed.
    const DWORD ids[] = {4242, 0};
    bool asked = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<CMsgBox*>(QApplication::activeModalWidget())) {
            asked = true;
            box->done(CMsgBox::kClosed);
        }
    });
    watch.start(5);
    page->CancelAll();
    for (int choice : {1, 2}) {
        CUIPublic::SetUserSetting("terminatePro", choice);
        EXPECT_FALSE(AskFromWorker(*page, ids)) << choice;
    }
    EXPECT_FALSE(asked);
}

} // namespace
} // namespace junk_test
