#include "Paneforge/BPEllipsisGifLabel.h"
#include "Paneforge/BPLabel.h"
#include "Paneforge/BPMenu.h"
#include "Paneforge/RoundedRectBase.h"

#include "platform/Machine.h"

#include <QImage>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

const QColor kFill(200, 0, 0);
const QColor kBehind(0, 0, 200);

// The widget painted over a known colour, without any background of its own.
QImage Render(QWidget& widget)
{
    QImage image(widget.size(), QImage::Format_ARGB32);
    image.fill(kBehind);
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

struct Corners {
    QColor topLeft, topRight, bottomLeft, bottomRight, middle;
};

Corners Sample(bool tl, bool tr, bool bl, bool br, unsigned radius = 12)
{
    QWidget parent;
    CRoundedRectBase box(radius, &parent, tl, tr, bl, br);
    box.resize(100, 60);
    box.setBrush(kFill);
    const QImage image = Render(box);
    return {image.pixelColor(1, 1), image.pixelColor(98, 1), image.pixelColor(1, 58), image.pixelColor(98, 58),
            image.pixelColor(50, 30)};
}

TEST(PaneforgeRoundedRect, RoundsOnlyTheChosenCorners)
{
    const Corners page = Sample(false, false, true, true);
    EXPECT_EQ(page.topLeft, kFill);
    EXPECT_EQ(page.topRight, kFill);
    EXPECT_EQ(page.bottomLeft, kBehind);
    EXPECT_EQ(page.bottomRight, kBehind);
    EXPECT_EQ(page.middle, kFill);

    const Corners panel = Sample(false, false, true, false);
    EXPECT_EQ(panel.bottomLeft, kBehind);
    EXPECT_EQ(panel.bottomRight, kFill);

    const Corners left = Sample(true, false, false, false);
    EXPECT_EQ(left.topLeft, kBehind);
    EXPECT_EQ(left.topRight, kFill);
    EXPECT_EQ(left.bottomLeft, kFill);
}

TEST(PaneforgeRoundedRect, RadiusZeroFillsEverything)
{
    const Corners strip = Sample(true, true, true, true, 0);
    EXPECT_EQ(strip.topLeft, kFill);
    EXPECT_EQ(strip.topRight, kFill);
    EXPECT_EQ(strip.bottomLeft, kFill);
    EXPECT_EQ(strip.bottomRight, kFill);
}

TEST(PaneforgeRoundedRect, FillsTheEdgesUpToTheLastPixel)
{
    QWidget parent;
    CRoundedRectBase box(12, &parent, false, false, true, true);
    box.resize(100, 60);
    box.setBrush(kFill);
    const QImage image = Render(box);
    EXPECT_EQ(image.pixelColor(0, 0), kFill);
    EXPECT_EQ(image.pixelColor(99, 0), kFill);
    EXPECT_EQ(image.pixelColor(99, 30), kFill);
    EXPECT_EQ(image.pixelColor(50, 59), kFill);
}

TEST(PaneforgeRoundedRect, TransparentBrushLeavesTheStyleSheet)
{
    QWidget parent;
    CRoundedRectBase box(12, &parent, false, false, true, true);
    box.resize(100, 60);
    box.setBrush(QBrush(Qt::transparent, Qt::SolidPattern));
    EXPECT_EQ(Render(box).pixelColor(50, 30), kBehind);

    box.setStyleSheet(QStringLiteral("background:#00c800;"));
    EXPECT_EQ(Render(box).pixelColor(50, 30), QColor(0, 200, 0));
}

TEST(PaneforgeMenu, FindsEntriesByKey)
{
    CBPMenu menu(nullptr);
    menu.AddAction({}, QStringLiteral("Settings"), QStringLiteral("Settings"));
    QAction* login = menu.AddAction({}, QStringLiteral("Log out"), QStringLiteral("Log in"));
    ASSERT_EQ(menu.actions().size(), 2);
    EXPECT_EQ(login->data().toString(), QStringLiteral("Log in"));

    QString text;
    ASSERT_TRUE(menu.GetActionText(QStringLiteral("Log in"), text));
    EXPECT_EQ(text, QStringLiteral("Log out"));
    ASSERT_TRUE(menu.SetActionText(QStringLiteral("Log in"), QStringLiteral("Log in")));
    menu.GetActionText(QStringLiteral("Log in"), text);
    EXPECT_EQ(text, QStringLiteral("Log in"));
    EXPECT_EQ(menu.actions().at(0)->text(), QStringLiteral("Settings"));

    text = QStringLiteral("unchanged");
    EXPECT_FALSE(menu.GetActionText(QStringLiteral("About"), text));
    EXPECT_EQ(text, QStringLiteral("unchanged"));
    EXPECT_FALSE(menu.SetActionText(QStringLiteral("About"), QStringLiteral("x")));
    EXPECT_FALSE(menu.SetActionIcon(QStringLiteral("About"), {}));

    QSignalSpy triggered(&menu, &QMenu::triggered);
    login->trigger();
    ASSERT_EQ(triggered.size(), 1);
    EXPECT_EQ(triggered.at(0).at(0).value<QAction*>()->data().toString(), QStringLiteral("Log in"));
}

TEST(PaneforgeMenu, SetsAndClearsIcons)
{
    QImage picture(16, 16, QImage::Format_ARGB32);
    picture.fill(Qt::red);
    const QString path = QStringLiteral("C:\\menu-icon.png");
    ASSERT_TRUE(picture.save(QString::fromStdString(platform::HostPath(path.toStdWString()))));

    CBPMenu menu(nullptr);
    QAction* action = menu.AddAction({path}, QStringLiteral("About"), 3);
    EXPECT_FALSE(action->icon().isNull());
    ASSERT_TRUE(menu.SetActionIcon(3, {}));
    EXPECT_TRUE(action->icon().isNull());
    ASSERT_TRUE(menu.SetActionIcon(3, {path, path}));
    EXPECT_FALSE(action->icon().isNull());
}

TEST(PaneforgeLabel, ShowsItsColourAndSize)
{
    CBPLabel label(QStringLiteral("Text"), QColor(QStringLiteral("#2c364c")), 12, nullptr);
    EXPECT_EQ(label.text(), QStringLiteral("Text"));
    EXPECT_EQ(label.palette().color(QPalette::WindowText), QColor(QStringLiteral("#2c364c")));
    EXPECT_EQ(label.font().pixelSize(), 12);
}

TEST(PaneforgeEllipsis, DotsFillUpAndStartAgain)
{
    QWidget parent;
    CBPEllipsisGifLabel dots(3, &parent);
    ASSERT_TRUE(dots.ShowGifLable());
    EXPECT_FALSE(dots.isHidden());
    QStringList seen;
    for (int i = 0; i < 5; ++i) {
        QMetaObject::invokeMethod(&dots, "slotNextStep");
        seen << dots.text();
    }
    EXPECT_EQ(seen, QStringList({".", "..", "...", "", "."}));
    dots.HideGifLable();
    EXPECT_TRUE(dots.isHidden());

    CBPEllipsisGifLabel none(0, &parent);
    EXPECT_FALSE(none.ShowGifLable());
}

} // namespace
