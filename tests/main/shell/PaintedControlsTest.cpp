#include "AnimtButton.h"
#include "DrawPushButton.h"
#include "ErrorTips.h"

#include "Paneforge/Util.h"
#include "platform/Machine.h"
#include "support/TempMachine.h"
#include "support/WaitUntil.h"

#include <QApplication>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

bool IsBadgeRed(const QColor& color)
{
    return color.red() > 200 && color.green() < 60 && color.blue() < 60;
}

QImage RenderButton(int count)
{
    QWidget parent;
    CDrawPushButton button(count, &parent);
    button.setStyleSheet(QStringLiteral("QPushButton { background:#000000; border:none; }"));
    button.resize(60, 30);
    QImage image(button.size(), QImage::Format_ARGB32);
    image.fill(Qt::black);
    button.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

// Width of the badge: from its leftmost red pixel to the right edge (0 without a badge).
int BadgeWidth(const QImage& image)
{
    int left = image.width();
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y).red() > 100 && image.pixelColor(x, y).green() < 60)
                left = std::min(left, x);
    return image.width() - left;
}

TEST(ShellDrawPushButton, BadgeWidthFollowsTheCount)
{
    EXPECT_EQ(BadgeWidth(RenderButton(0)), 0);
    EXPECT_EQ(BadgeWidth(RenderButton(-3)), 0);
    EXPECT_EQ(BadgeWidth(RenderButton(9)), 12);
    EXPECT_EQ(BadgeWidth(RenderButton(10)), 18);
    EXPECT_EQ(BadgeWidth(RenderButton(99)), 18);
    EXPECT_EQ(BadgeWidth(RenderButton(100)), 18);
}

TEST(ShellDrawPushButton, BadgeStaysInTheTopRightCorner)
{
    const QImage image = RenderButton(5);
    EXPECT_TRUE(IsBadgeRed(image.pixelColor(49, 6)));
    EXPECT_FALSE(IsBadgeRed(image.pixelColor(49, 14)));
    EXPECT_FALSE(IsBadgeRed(image.pixelColor(30, 6)));
}

TEST(ShellDrawPushButton, AboveNinetyNineShowsNinetyNinePlus)
{
    EXPECT_EQ(RenderButton(100), RenderButton(4321));
    EXPECT_NE(RenderButton(100), RenderButton(99));
}

TEST(ShellDrawPushButton, SetCountRepaintsWithTheNewCount)
{
    QWidget parent;
    CDrawPushButton button(0, &parent);
    button.resize(60, 30);
    button.SetCount(12);
    QImage image(button.size(), QImage::Format_ARGB32);
    image.fill(Qt::black);
    button.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    EXPECT_EQ(BadgeWidth(image), 18);
}

// Tool tiles with pictures of the test's own: a red normal icon and a green hover icon.
class ShellToolTile : public testing::Test {
protected:
    void SetUp() override
    {
        normal_ = SavePicture(QStringLiteral("C:\\normal.png"), QSize(54, 54), Qt::red);
        hover_ = SavePicture(QStringLiteral("C:\\hover.png"), QSize(54, 54), Qt::green);
        platform::SetProgramFolder(testing_support::BuildProgramFolder());
        images_ = QStringList{Util::getDravielsResFullPath(QStringLiteral("pic_kapian.png")),
                              Util::getDravielsResFullPath(QStringLiteral("pic_highlights.png")), normal_, hover_};
        tile_ = holder_.findChild<_CBtWidget*>();
        ASSERT_NE(tile_, nullptr);
        group_ = tile_->findChild<QParallelAnimationGroup*>();
        ASSERT_NE(group_, nullptr);
    }

    // The picture of one colour at a Windows path of the machine.
    static QString SavePicture(const QString& path, const QSize& size, Qt::GlobalColor color)
    {
        QImage image(size, QImage::Format_ARGB32);
        image.fill(color);
        EXPECT_TRUE(image.save(QString::fromStdString(platform::HostPath(path.toStdWString()))));
        return path;
    }

    void Send(QEvent::Type type)
    {
        QEvent event(type);
        QApplication::sendEvent(tile_, &event);
    }

    QColor IconCentre() { return tile_->grab().toImage().pixelColor(36 + 27, 20 + 27); }

    testing_support::TempMachine machine_;
    CAnimtButton holder_{6, nullptr};
    _CBtWidget* tile_ = nullptr;
    QParallelAnimationGroup* group_ = nullptr;
    QString normal_;
    QString hover_;
    QStringList images_;
};

TEST_F(ShellToolTile, HoverRaisesTheTileAndShowsTheHoverIcon)
{
    holder_.SetImages(images_);
    EXPECT_EQ(tile_->geometry(), QRect(0, 4, 126, 140));
    EXPECT_EQ(IconCentre(), QColor(Qt::red));

    Send(QEvent::Enter);
    EXPECT_EQ(group_->state(), QAbstractAnimation::Running);
    EXPECT_TRUE(QTest::qWaitFor([&] { return group_->state() == QAbstractAnimation::Stopped; },
                                testing_support::kPatience.count()));
    EXPECT_EQ(tile_->geometry(), QRect(0, 0, 126, 140));
    EXPECT_EQ(IconCentre(), QColor(Qt::green));

    Send(QEvent::Leave);
    EXPECT_EQ(tile_->geometry(), QRect(0, 4, 126, 140));
    EXPECT_EQ(IconCentre(), QColor(Qt::red));
}

TEST_F(ShellToolTile, LeavingMidAnimationStopsAtOnce)
{
    Send(QEvent::Enter);
    group_->setCurrentTime(60);
    Send(QEvent::Leave);
    EXPECT_EQ(group_->state(), QAbstractAnimation::Stopped);
    EXPECT_EQ(tile_->geometry(), QRect(0, 4, 126, 140));
    QTest::qWait(100);
    EXPECT_EQ(tile_->geometry(), QRect(0, 4, 126, 140));
}

TEST_F(ShellToolTile, EnteringAgainWhileRunningDoesNotRestart)
{
    // Halfway, however slowly the animation's own clock would get there.
    Send(QEvent::Enter);
    group_->setCurrentTime(150);
    const int reached = group_->currentTime();
    ASSERT_GT(reached, 0);
    Send(QEvent::Enter);
    EXPECT_GE(group_->currentTime(), reached);

    Send(QEvent::Leave);
    Send(QEvent::Enter);
    EXPECT_LT(group_->currentTime(), reached);
}

TEST_F(ShellToolTile, ImagesNeedAllFourPictures)
{
    holder_.SetImages(images_.mid(0, 3));
    EXPECT_TRUE(tile_->mask().isEmpty());
    EXPECT_EQ(IconCentre(), QColor(0x27, 0x2d, 0x3b));

    holder_.SetImages(images_);
    EXPECT_FALSE(tile_->mask().isEmpty());
    EXPECT_FALSE(tile_->mask().contains(QPoint(0, 0)));
    EXPECT_TRUE(tile_->mask().contains(QPoint(63, 70)));
}

TEST_F(ShellToolTile, ClickedOnlyWhenReleasedInside)
{
    QSignalSpy clicked(&holder_, &CAnimtButton::clicked);
    QMouseEvent inside(QEvent::MouseButtonRelease, QPointF(60, 60), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(tile_, &inside);
    ASSERT_EQ(clicked.size(), 1);
    EXPECT_EQ(clicked.at(0).at(0).toInt(), 6);

    QMouseEvent outside(QEvent::MouseButtonRelease, QPointF(60, 150), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(tile_, &outside);
    EXPECT_EQ(clicked.size(), 1);
}

class ShellErrorTips : public testing::Test {
protected:
    void SetUp() override { platform::SetProgramFolder(testing_support::BuildProgramFolder()); }

    static QLabel* Message(CErrorTips& tips) { return tips.findChildren<QLabel*>().value(1); }
    static QLabel* Icon(CErrorTips& tips) { return tips.findChildren<QLabel*>().value(0); }
};

TEST_F(ShellErrorTips, KindChoosesIconAndColour)
{
    CErrorTips error(0, nullptr, 200, 16);
    CErrorTips info(1, nullptr, 200, 16);
    CErrorTips other(2, nullptr, 200, 16);
    ASSERT_NE(Message(error), nullptr);
    EXPECT_FALSE(Icon(error)->pixmap(Qt::ReturnByValue).isNull());
    EXPECT_FALSE(Icon(info)->pixmap(Qt::ReturnByValue).isNull());
    EXPECT_TRUE(Icon(other)->pixmap(Qt::ReturnByValue).isNull());
    EXPECT_EQ(Icon(error)->contentsMargins().top(), 1);
    EXPECT_EQ(Message(error)->minimumSize(), QSize(200, 16));

    error.SetText(QStringLiteral("Incorrect password."));
    info.SetText(QStringLiteral("Please check your mail."));
    other.SetText(QStringLiteral("ignored"));
    EXPECT_TRUE(Message(error)->text().contains(QStringLiteral("#e02020")));
    EXPECT_TRUE(Message(error)->text().contains(QStringLiteral("Incorrect password.")));
    EXPECT_TRUE(Message(info)->text().contains(QStringLiteral("#0092ff")));
    EXPECT_TRUE(Message(other)->text().isEmpty());

    error.SetTextWidth(240);
    EXPECT_EQ(Message(error)->width(), 240);
    EXPECT_EQ(Message(error)->minimumWidth(), 240);
    EXPECT_EQ(Message(error)->maximumWidth(), 240);
}

} // namespace
