#include "DrawPushButton.h"
#include "FixTitleBase.h"
#include "MessageBox.h"
#include "MsgCenter.h"
#include "MsgPopWndItem.h"

#include "CommunityTestServer.h"
#include "PageTestSupport.h"
#include "WebService.h"
#include "support/TempMachine.h"

#include "Paneforge/BPMenu.h"
#include "Paneforge/Util.h"

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QTimer>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

class HomeTitleBarTest : public testing::Test {
protected:
    void SetUp() override
    {
        server_.Install(machine_);
        page_test::UsePreludex();
        SetTransferTimeoutMs(5000);
        for (int id = 1; id <= 2; ++id) {
            community_test::ServerMessage message;
            message.id = std::to_string(id);
            server_.AddMessage(message);
        }
        window_.resize(800, 472);
        new QVBoxLayout(&window_);
    }

    // The title bar of the home window (page type 2), once its first refresh has ended.
    CFixTitleBase* HomeTitleBar()
    {
        auto* title = new CFixTitleBase(1, 2, &window_);
        window_.layout()->addWidget(title);
        window_.show();
        EXPECT_TRUE(page_test::WaitUntil([title] { return title->findChild<CMsgCenter*>()->Messages().size() == 2; }));
        return title;
    }

    // Whether the button shows its red count badge at its top-right corner.
    static bool ShowsBadge(CDrawPushButton* button)
    {
        const QImage image = button->grab().toImage();
        for (int x = std::max(0, image.width() - 12); x < image.width(); ++x)
            for (int y = 0; y < std::min(12, image.height()); ++y)
                if (image.pixelColor(x, y) == QColor(QStringLiteral("#e02020")))
                    return true;
        return false;
    }

    testing_support::TempMachine machine_;
    community_test::CCommunityTestServer server_;
    QWidget window_;
};

TEST_F(HomeTitleBarTest, TheMessageButtonShowsTheUnreadBadgeAndOpensThePopUp)
{
    CFixTitleBase* title = HomeTitleBar();
    auto* button = title->findChild<CDrawPushButton*>(QStringLiteral("Quarnel_BtnMsg"));
    ASSERT_NE(nullptr, button);
    EXPECT_TRUE(page_test::WaitUntil([button] { return ShowsBadge(button); }));

    button->click();
    CMsgCenter* centre = title->findChild<CMsgCenter*>();
    ASSERT_NE(nullptr, centre->PopWindow());
    EXPECT_TRUE(centre->PopWindow()->isVisible());
    EXPECT_EQ(2, centre->PopWindow()->findChildren<CMsgPopWndItem*>().size());
    emit centre->PopWindow()->sigMsgRead(-1);
    EXPECT_FALSE(ShowsBadge(button));
}

TEST_F(HomeTitleBarTest, OtherTitleBarsHaveNoMessageCentre)
{
    CFixTitleBase title(1, 3, &window_);
    CFixTitleBase dialog(4, 1, &window_);
    EXPECT_EQ(nullptr, title.findChild<CMsgCenter*>());
    EXPECT_EQ(nullptr, dialog.findChild<CMsgCenter*>());
}

TEST_F(HomeTitleBarTest, CheckForUpdatesInTheMenuShowsTheUpdateState)
{
    Util::setDravielsCfgInfo(QStringLiteral("localcfg.ini"), QStringLiteral("cache"), QStringLiteral("update"), 0);
    CFixTitleBase* title = HomeTitleBar();
    QAction* check = nullptr;
    for (QAction* action : title->findChild<CBPMenu*>()->actions())
        if (action->data().toString() == QStringLiteral("Check for updates"))
            check = action;
    ASSERT_NE(nullptr, check);
    QString shown;
    QTimer::singleShot(100, [&] {
        auto* dialog = qobject_cast<CMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(nullptr, dialog);
        for (QLabel* label : dialog->findChildren<QLabel*>())
            if (label->text().contains(QStringLiteral("up to date")))
                shown = QStringLiteral("up to date");
        dialog->close();
    });
    title->menuClickSlot(check);
    EXPECT_EQ(QStringLiteral("up to date"), shown);
    EXPECT_TRUE(page_test::HasEvent(page_test::Events(2), QStringLiteral("Menu"), QStringLiteral("Click_Check")));
}

} // namespace
