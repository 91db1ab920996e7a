// The small widgets of the repair tools and of the shell's widget set: the information icon's tip,
// the focus rows of a group, the confirmation dialog's buttons, the home card's glow and the
// splash that waits for the drive list.
#include "FileFixInfo.h"
#include "FocusLabel.h"
#include "GetDriverInfo.h"
#include "HomeCard.h"
#include "SplashWin.h"
#include "UIMakeSureDlg.h"

#include "RepairPageSupport.h"

#include <QApplication>
#include <QEnterEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>

#include <chrono>
#include <thread>

namespace {

using repair_test::RepairPageTest;

void Hover(CFileFixInfo& icon, QPoint screenPos, std::chrono::milliseconds stay)
{
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(screenPos));
    QApplication::sendEvent(&icon, &enter);
    std::this_thread::sleep_for(stay);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&icon, &leave);
}

TEST_F(RepairPageTest, InfoTipFollowsTheMouseAndCountsAsReadAfterTwoSeconds)
{
    CFileFixInfo icon;
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(300, 200));
    QApplication::sendEvent(&icon, &enter);
    EXPECT_TRUE(icon.Tip()->isVisible());
    EXPECT_EQ(icon.Tip()->pos(), QPoint(300, 200));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&icon, &leave);
    EXPECT_FALSE(icon.Tip()->isVisible());

    Hover(icon, QPoint(40, 60), std::chrono::milliseconds(1900));
    EXPECT_EQ(icon.Tip()->pos(), QPoint(40, 60));
    Hover(icon, QPoint(40, 60), std::chrono::milliseconds(2050));
    const QStringList read = Attributes("FileFixing", "Result_Info", 1);
    EXPECT_EQ(read, QStringList {QStringLiteral("{\"ViewInfo\":\"Yes\"}")}) << "only the long hover counts";
}

TEST(FocusLabelTest, FocusingOneRowOfAGroupUnfocusesTheOthers)
{
    CFocusLabel first(QStringLiteral("One")), second(QStringLiteral("Two")), third(QStringLiteral("Three"));
    const QList<CFocusLabel*> group {&first, &second, &third};
    for (CFocusLabel* row : group)
        row->SetGroup(group);
    QSignalSpy changed(&second, &CFocusLabel::FocusChanged);
    first.SetFocused(true);
    second.SetFocused(true);
    EXPECT_FALSE(first.IsFocused());
    EXPECT_TRUE(second.IsFocused());
    EXPECT_FALSE(third.IsFocused());
    second.SetFocused(true);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(second.GetText(), QStringLiteral("Two"));
}

TEST(UIMakeSureDlgTest, RunsOnlyUnderAVisibleParentAndReturnsThePressedId)
{
    const QMap<int, QString> buttons {{0, QStringLiteral("Cancel")}, {1, QStringLiteral("OK")}};
    CUIMakeSureDlg orphan(0, QStringLiteral("Title"), QStringLiteral("Content"), buttons);
    EXPECT_EQ(orphan.RunModal(), -1);

    QWidget parent;
    CUIMakeSureDlg hidden(0, QStringLiteral("Title"), QStringLiteral("Content"), buttons, &parent);
    EXPECT_EQ(hidden.RunModal(), -1);

    parent.show();
    CUIMakeSureDlg dialog(0, QStringLiteral("Title"), QStringLiteral("Content"), buttons, &parent);
    const QList<QPushButton*> pushButtons = dialog.findChildren<QPushButton*>();
    ASSERT_EQ(pushButtons.size(), 2);
    EXPECT_EQ(pushButtons[0]->objectName(), QStringLiteral("1"));
    EXPECT_EQ(pushButtons[1]->objectName(), QStringLiteral("2"));
    QSignalSpy clicked(&dialog, &CUIMakeSureDlg::BtnClicked);
    QTimer::singleShot(0, pushButtons[1], &QPushButton::click);
    EXPECT_EQ(dialog.RunModal(), 1);
    ASSERT_EQ(clicked.count(), 1);
    EXPECT_EQ(clicked[0][0].toInt(), 1);
}

TEST(HomeCardTest, GlowWidthStaysWithinHalfTheCardAndAPressReportsTheIndex)
{
    CHomeCard card(3);
    card.SetGlowWidth(0);
    EXPECT_EQ(card.GlowWidth(), 6);
    card.SetGlowWidth(63);
    EXPECT_EQ(card.GlowWidth(), 6);
    card.SetGlowWidth(10);
    EXPECT_EQ(card.GlowWidth(), 10);

    QSignalSpy clicked(&card, &CHomeCard::clicked);
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&card, &press);
    ASSERT_EQ(clicked.count(), 1);
    EXPECT_EQ(clicked[0][0].toInt(), 3);
    EXPECT_TRUE(card.IsChecked());
}

TEST_F(RepairPageTest, SplashReturnsOnceTheDriveListHasBeenFilled)
{
    CSplashWin splash;
    EXPECT_EQ(splash.Exec(), 0);
    EXPECT_EQ(CGetDriverInfo::GetInstance()->GetDriverList(false).size(), 3);
}

} // namespace
