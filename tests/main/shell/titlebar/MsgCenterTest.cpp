#include "MsgCenter.h"
#include "MsgPopWndItem.h"
#include "MsgStore.h"

#include "CommunityTestServer.h"
#include "PageTestSupport.h"
#include "WebService.h"
#include "platform/Machine.h"
#include "support/TempMachine.h"

#include <QApplication>
#include <QFile>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <memory>

namespace {

community_test::ServerMessage ServerMessage(int id, const std::string& title)
{
    community_test::ServerMessage message;
    message.id = std::to_string(id);
    message.title = title;
    message.content = "<p>" + title + "</p>";
    return message;
}

class MsgCenterTest : public testing::Test {
protected:
    void SetUp() override
    {
        server_.Install(machine_);
        page_test::UsePreludex();
        SetTransferTimeoutMs(5000);
        window_.resize(800, 472);
        auto* layout = new QVBoxLayout(&window_);
        titleBar_ = new QWidget(&window_);
        titleBar_->setFixedHeight(48);
        layout->addWidget(titleBar_);
        layout->addStretch();
        window_.show();
    }

    void AddMessages(int count)
    {
        for (int id = 1; id <= count; ++id)
            server_.AddMessage(ServerMessage(id, "Message " + std::to_string(id)));
    }

    // A message centre on the title bar, as the home window makes it; waits until its refresh ended
    // with `expected` messages held and its threads freed, noting the most it held at once.
    CMsgCenter* StartCentre(int expected)
    {
        centre_.reset(new CMsgCenter(titleBar_));
        button_ = new CDrawPushButton(0, titleBar_);
        centre_->SetButton(button_);
        mostThreads_ = 0;
        EXPECT_TRUE(page_test::WaitUntil([&] {
            mostThreads_ = std::max(mostThreads_, centre_->RefreshThreads());
            return MessageRequests() >= requestsBefore_ + 1 && centre_->RefreshThreads() == 0 &&
                   centre_->Messages().size() == expected;
        }));
        requestsBefore_ = MessageRequests();
        return centre_.get();
    }

    size_t MessageRequests() const { return PagesAsked(0).size(); }

    // The pages asked for, in order, from the message request `from` on.
    std::vector<int> PagesAsked(size_t from) const
    {
        std::vector<int> pages;
        size_t index = 0;
        for (const community_test::RecordedRequest& request : server_.Requests()) {
            if (request.kind == community_test::RequestKind::Messages && index++ >= from)
                pages.push_back(std::stoi(request.segments.at("p")));
        }
        return pages;
    }

    QList<CMsgItemInfo> Stored() const
    {
        QList<CMsgItemInfo> stored;
        CMsgStore().Load(stored);
        return stored;
    }

    static const CMsgItemInfo* Find(const QList<CMsgItemInfo>& list, qint64 id)
    {
        for (const CMsgItemInfo& item : list)
            if (item.GetId() == id)
                return &item;
        return nullptr;
    }

    testing_support::TempMachine machine_;
    community_test::CCommunityTestServer server_;
    QWidget window_;
    QWidget* titleBar_ = nullptr;
    CDrawPushButton* button_ = nullptr;
    std::unique_ptr<CMsgCenter> centre_;
    size_t requestsBefore_ = 0;
    int mostThreads_ = 0;
};

TEST_F(MsgCenterTest, FetchesEveryPageStoresAndCountsTheUnread)
{
    AddMessages(3);
    CMsgCenter* centre = StartCentre(3);
    EXPECT_EQ(3, centre->BadgeCount());
    // One message per page, pages counted from 1, each with the program's version.
    std::vector<std::string> pages;
    for (const community_test::RecordedRequest& request : server_.Requests()) {
        if (request.kind != community_test::RequestKind::Messages)
            continue;
        EXPECT_TRUE(request.signatureValid);
        EXPECT_EQ("1", request.segments.at("num"));
        pages.push_back(request.segments.at("p"));
    }
    EXPECT_EQ((std::vector<std::string> {"1", "2", "3"}), pages);
    const QList<CMsgItemInfo> stored = Stored();
    ASSERT_EQ(3, stored.size());
    EXPECT_EQ(QStringLiteral("Message 2"), Find(stored, 2)->GetTitle());
    EXPECT_FALSE(Find(stored, 2)->IsRead());
}

TEST_F(MsgCenterTest, AServiceThatNeverRunsOutOfPagesIsAskedForAHundredAndEachThreadGoesAsItEnds)
{
    std::vector<int> hundred(CMsgCenter::MAX_PAGES);
    std::iota(hundred.begin(), hundred.end(), 1);
    // The last count is the largest a page count can be, which a count plus one overflows.
    for (const char* pageCount : {"1000000", "2147483647"}) {
        // Each round from an empty store, so that the messages held count only this round's.
        ASSERT_TRUE(CMsgStore().Save({}));
        server_.AnswerEndlessly(ServerMessage(0, ""), true, pageCount);
        const size_t before = requestsBefore_;
        CMsgCenter* centre = StartCentre(CMsgCenter::MAX_PAGES);
        EXPECT_EQ(hundred, PagesAsked(before)) << pageCount;
        EXPECT_EQ(1, mostThreads_) << pageCount;
        EXPECT_EQ(CMsgCenter::MAX_PAGES, Stored().size()) << pageCount;
        EXPECT_EQ(CMsgCenter::MAX_PAGES, centre->BadgeCount()) << pageCount;
    }
}

TEST_F(MsgCenterTest, TheRefreshEndsAtAPageWithNothingNewOrBeforeTheMessagesOutgrowTheStore)
{
    // The same message on every page: the second brings nothing new.
    server_.AnswerEndlessly(ServerMessage(7, "Always"), false, "1000000");
    EXPECT_EQ(1, StartCentre(1)->BadgeCount());
    EXPECT_EQ((std::vector<int> {1, 2}), PagesAsked(0));

    // Messages of 300,000 bytes each in the store: it holds three of them, not four.
    community_test::ServerMessage large = ServerMessage(0, "");
    large.content = std::string(150000, 'x');
    server_.AnswerEndlessly(large, true, "1000000");
    const size_t before = requestsBefore_;
    StartCentre(3);
    EXPECT_EQ((std::vector<int> {1, 2, 3, 4}), PagesAsked(before));
    EXPECT_EQ(3, Stored().size());
}

TEST_F(MsgCenterTest, ReadAndClosedMarksAreStoredAtOnceAndSurviveTheNextFetch)
{
    AddMessages(3);
    CMsgCenter* centre = StartCentre(3);
    EXPECT_TRUE(centre->slotMsgRead(1));
    EXPECT_EQ(2, centre->BadgeCount());
    EXPECT_FALSE(centre->slotMsgRead(1)); // already read: nothing changes
    centre->slotCloseMsgItem(2);
    // A closed message no longer counts, whether it was read or not.
    EXPECT_EQ(1, centre->BadgeCount());
    EXPECT_TRUE(Find(Stored(), 1)->IsRead());
    EXPECT_TRUE(Find(Stored(), 2)->IsClosed());

    // The server sends them again with other texts: the stored marks and texts win.
    server_.AddMessage(ServerMessage(4, "Message 4"));
    CMsgCenter* again = StartCentre(4);
    EXPECT_EQ(2, again->BadgeCount());
    const QList<CMsgItemInfo> stored = Stored();
    EXPECT_TRUE(Find(stored, 1)->IsRead());
    EXPECT_TRUE(Find(stored, 2)->IsClosed());
    EXPECT_FALSE(Find(stored, 4)->IsRead());
}

TEST_F(MsgCenterTest, MarkingEverythingReadZeroesTheBadgeAndStoresIt)
{
    AddMessages(2);
    CMsgCenter* centre = StartCentre(2);
    EXPECT_TRUE(centre->slotMsgRead(-1));
    EXPECT_EQ(0, centre->BadgeCount());
    for (const CMsgItemInfo& item : Stored())
        EXPECT_TRUE(item.IsRead());
}

TEST_F(MsgCenterTest, APageWithoutMessagesEndsTheRefreshOnTheStoredMessages)
{
    AddMessages(2);
    StartCentre(2)->slotMsgRead(2);
    server_.Script(community_test::RequestKind::Messages, {500, "{\"state\":500}"});
    CMsgCenter* centre = StartCentre(2);
    EXPECT_EQ(1, centre->BadgeCount());
    EXPECT_EQ(2, Stored().size());
}

TEST_F(MsgCenterTest, ADamagedStoreCountsNothingAndIsReplacedByTheNextFetch)
{
    {
        QFile file(QString::fromStdString(platform::HostPath(CMsgStore().Path().toStdWString())));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray("\x00\x00\x10\x00garbage", 11));
    }
    server_.Script(community_test::RequestKind::Messages, {200, "not json"});
    EXPECT_EQ(0, StartCentre(0)->BadgeCount());
    server_.ClearScripts();
    AddMessages(1);
    EXPECT_EQ(1, StartCentre(1)->BadgeCount());
}

TEST_F(MsgCenterTest, ThePopUpShowsTheMessagesThatAreNotClosedBelowTheTitleBar)
{
    AddMessages(3);
    CMsgCenter* centre = StartCentre(3);
    centre->slotCloseMsgItem(2);
    centre->slotMsgRead(3);
    button_->click();
    CMsgPopWindow* popup = centre->PopWindow();
    ASSERT_NE(nullptr, popup);
    EXPECT_TRUE(popup->isVisible());
    EXPECT_EQ(QSize(360, 390), popup->size());
    const QPoint corner = window_.mapToGlobal(QPoint(0, 0));
    EXPECT_EQ(QPoint(corner.x() + 800 - 360 - 13, corner.y() + 48 + 1), popup->pos());
    QList<qint64> shown;
    for (CMsgPopWndItem* card : popup->findChildren<CMsgPopWndItem*>())
        shown.append(card->GetId());
    std::sort(shown.begin(), shown.end());
    EXPECT_EQ((QList<qint64> {1, 3}), shown);
    EXPECT_TRUE(page_test::HasEvent(page_test::Events(1), QStringLiteral("Home"), QStringLiteral("Click_Message")));

    // What the pop-up reports reaches the store.
    emit popup->sigMsgRead(1);
    EXPECT_EQ(0, centre->BadgeCount());
    emit popup->sigCloseMsgItem(3);
    EXPECT_TRUE(Find(Stored(), 3)->IsClosed());
}

} // namespace

namespace {

TEST_F(MsgCenterTest, ACentreThatGoesDuringARefreshLeavesTheRequestToEndOnItsOwn)
{
    AddMessages(1);
    community_test::ScriptedReply slow;
    slow.delayMs = 800;
    slow.body = "{\"state\":500}";
    server_.Script(community_test::RequestKind::Messages, slow);
    centre_.reset(new CMsgCenter(titleBar_));
    ASSERT_TRUE(page_test::WaitUntil([&] { return MessageRequests() == 1; }));
    centre_.reset();
    // The request ends after its owner went; nothing of the centre is reached any more.
    page_test::WaitUntil([] { return false; }, 1500);
    EXPECT_TRUE(Stored().isEmpty());
}

} // namespace
