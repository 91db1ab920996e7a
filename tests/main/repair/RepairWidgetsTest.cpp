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

#include "platform/Windows.h"

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

// The desktop's pointer resting at one point: as a window system does after a window maps or
// unmaps, the window that takes the pointer there gets it, the icon's window unless the tip (kept
// on top) covers the point and takes input; the icon hears Leave when it loses the pointer and
// Enter when it gets it back. Routed from the event loop, as the window system's events come.
class CRestingPointer : public QObject {
public:
    CRestingPointer(CFileFixInfo& icon, QPoint at) : icon_(icon), at_(at)
    {
        icon.Tip()->installEventFilter(this);
        Route();
    }
    ~CRestingPointer() override { icon_.Tip()->removeEventFilter(this); }

    int tipHides = 0;

    void Leave()
    {
        resting_ = false;
        Route();
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Hide)
            ++tipHides;
        if (event->type() == QEvent::Show || event->type() == QEvent::Hide)
            QMetaObject::invokeMethod(this, &CRestingPointer::Route, Qt::QueuedConnection);
        return false;
    }

private:
    bool TipTakesPointer() const
    {
        const QWidget* tip = icon_.Tip();
        return tip->isVisible() && !(tip->windowFlags() & Qt::WindowTransparentForInput) &&
               QRect(tip->pos(), tip->size()).contains(at_);
    }

    void Route()
    {
        const bool onIcon = resting_ && !TipTakesPointer();
        if (onIcon == onIcon_)
            return;
        onIcon_ = onIcon;
        if (onIcon) {
            QEnterEvent enter(QPointF(7, 7), QPointF(7, 7), QPointF(at_));
            QApplication::sendEvent(&icon_, &enter);
        } else {
            QEvent leave(QEvent::Leave);
            QApplication::sendEvent(&icon_, &leave);
        }
    }

    CFileFixInfo& icon_;
    QPoint at_;
    bool resting_ = true;
    bool onIcon_ = false;
};

TEST_F(RepairPageTest, InfoTipStaysShownWhileThePointerRestsOnTheIconAndCountsAsReadOnce)
{
    CFileFixInfo icon;
    icon.show();
    const DWORD entered = GetTickCount();
    CRestingPointer pointer(icon, QPoint(300, 200));
    // Resting for as long as a reading takes, the window system's events handled meanwhile.
    while (GetTickCount() - entered < 2100)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_TRUE(icon.Tip()->isVisible());
    EXPECT_EQ(0, pointer.tipHides) << "the tip took the pointer from its icon";
    pointer.Leave();
    EXPECT_FALSE(icon.Tip()->isVisible());
    EXPECT_EQ(1u, Events("FileFixing", "Result_Info", 1).size());
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
