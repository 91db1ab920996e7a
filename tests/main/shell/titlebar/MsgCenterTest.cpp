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
    // with `expected` messages held.
    CMsgCenter* StartCentre(int expected)
    {
        centre_.reset(new CMsgCenter(titleBar_));
        button_ = new CDrawPushButton(0, titleBar_);
        centre_->SetButton(button_);
        EXPECT_TRUE(page_test::WaitUntil([&] {
            return MessageRequests() >= requestsBefore_ + 1 && centre_->Messages().size() == expected;
        }));
        // The last page's end is handled on the event loop after its request arrived.
        page_test::WaitUntil([] { return false; }, 300);
        requestsBefore_ = MessageRequests();
        return centre_.get();
    }

    size_t MessageRequests() const
    {
        size_t count = 0;
        for (const community_test::RecordedRequest& request : server_.Requests())
            count += request.kind == community_test::RequestKind::Messages;
        return count;
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
