#include "FixPageBase.h"
#include "FixPageTop.h"

#include "Language.h"
#include "Paneforge/Util.h"

#include <gtest/gtest.h>

namespace {

struct PageTopParts {
    QLabel* icon = nullptr;
    QLabel* title = nullptr;
    QLabel* description = nullptr;
};

PageTopParts Parts(CFixPageTop& top)
{
    const QList<QLabel*> labels = top.findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly);
    return {labels.value(0), labels.value(1), labels.value(2)};
}

TEST(ShellFixPageTop, IconNameFollowsThePageType)
{
    const std::pair<int, const char*> expected[] = {
        {3, "Quarnel_WriteProtection"}, {4, "Quarnel_WindowUpdate"}, {5, "Quarnel_FileFix"}, {2, ""}, {9, ""}};
    for (const auto& [type, name] : expected) {
        CFixPageTop top(type, new QPushButton(QStringLiteral("Disable")), nullptr);
        ASSERT_NE(Parts(top).icon, nullptr);
        EXPECT_EQ(Parts(top).icon->objectName(), QString::fromLatin1(name)) << type;
    }
}

TEST(ShellFixPageTop, StripLayout)
{
    QPointer<QPushButton> button = new QPushButton(QStringLiteral("Disable"));
    CFixPageTop top(4, button, nullptr);
    EXPECT_EQ(top.size(), QSize(800, 120));
    EXPECT_EQ(button->parentWidget(), &top);
    EXPECT_EQ(Parts(top).icon->size(), QSize(56, 56));
    EXPECT_EQ(Parts(top).description->width(), 516);
    EXPECT_TRUE(Parts(top).description->wordWrap());

    top.SetButtonText(QStringLiteral("Enable"));
    EXPECT_EQ(button->text(), QStringLiteral("Enable"));
    top.SetButtonText(QString());
    EXPECT_EQ(button->text(), QStringLiteral("Enable"));
}

TEST(ShellFixPageTop, TitleNeedsBothTexts)
{
    CFixPageTop top(3, new QPushButton(), nullptr);
    const PageTopParts parts = Parts(top);
    top.SetTitle(QStringLiteral("Write Protection"), QString());
    EXPECT_TRUE(parts.title->text().isEmpty());
    EXPECT_TRUE(parts.description->text().isEmpty());
    top.SetTitle(QString(), QStringLiteral("Remove the protection."));
    EXPECT_TRUE(parts.title->text().isEmpty());

    top.SetTitle(QStringLiteral("Write Protection"), QStringLiteral("Remove the protection."));
    const QString family = GetLangFontFamily(FONT_NORMAL);
    EXPECT_EQ(parts.title->text(), Util::GetFormatString("Write Protection", family, "#c6d6f0", 20, 700));
    EXPECT_EQ(parts.description->text(), Util::GetFormatString("Remove the protection.", family, "#c6d6f0", 16, 400));

    top.SetTitle(QStringLiteral("Other"), QString());
    EXPECT_TRUE(parts.title->text().contains(QStringLiteral("Write Protection")));
}

TEST(ShellFixPageTop, WithoutAButtonNothingIsLaidOut)
{
    CFixPageTop top(3, QPointer<QPushButton>(), nullptr);
    EXPECT_EQ(top.layout(), nullptr);
    EXPECT_TRUE(Parts(top).icon->objectName().isEmpty());
    top.SetButtonText(QStringLiteral("Enable"));
}

TEST(ShellFixPageBase, FixedTransparentPage)
{
    QWidget frame;
    CFixPageBase page(4, &frame, 12, false, false, true, true);
    EXPECT_EQ(page.GetPageType(), 4);
    EXPECT_EQ(page.size(), QSize(800, 472));
    page.resize(900, 400);
    EXPECT_EQ(page.size(), QSize(800, 472));
    EXPECT_TRUE(page.windowFlags() & Qt::FramelessWindowHint);

    QImage image(page.size(), QImage::Format_ARGB32);
    image.fill(QColor(1, 2, 3));
    page.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    EXPECT_EQ(image.pixelColor(400, 236), QColor(1, 2, 3));
}

} // namespace
