// The program's pages as its style sheet draws them: the controls that Qt would draw in its light
// default look sit dark on the dark pages, with the program's text and accent colours.
#include "DelProtectWidget.h"
#include "FileFixInfo.h"
#include "FixFrameBase.h"
#include "FixPageId.h"
#include "FixUSBWidget.h"
#include "FixingDialog.h"
#include "LetterPage.h"
#include "LoginWidget.h"
#include "MainRoutine.h"
#include "MsgItemInfo.h"
#include "MessageBox.h"
#include "MsgPopWindow.h"
#include "SetWidget.h"
#include "UIMakeSureDlg.h"
#include "WaitButtonEx.h"

#include "platform/Desktop.h"
#include "platform/Machine.h"
#include "support/TempMachine.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QTextEdit>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

const QColor kPanel(QStringLiteral("#272d3b"));
const QColor kField(QStringLiteral("#20242f"));
const QColor kAccent(QStringLiteral("#1be1d0"));

// Close enough to tell the program's colour from Qt's default palette, whatever the rounding.
::testing::AssertionResult Near(const QColor& actual, const QColor& expected)
{
    const int distance = std::abs(actual.red() - expected.red()) + std::abs(actual.green() - expected.green()) +
                         std::abs(actual.blue() - expected.blue());
    if (distance <= 12 && actual.alpha() == 255)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << actual.name(QColor::HexArgb).toStdString() << " is not "
                                         << expected.name().toStdString();
}

// The window as it draws itself on the program's panel colour: what it leaves unpainted shows that
// colour.
QImage Picture(QWidget* window)
{
    QImage image(window->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(kPanel);
    window->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

// The colour of the child's pixel at the point.
QColor PixelOf(QWidget* window, const QWidget* child, QPoint point)
{
    return Picture(window).pixelColor(child->mapTo(window, point));
}

// The pixel of the child's rectangle that stands out most from the background, its text's ink.
QColor InkOf(QWidget* window, const QWidget* child, const QColor& background)
{
    const QImage image = Picture(window);
    const QRect area(child->mapTo(window, QPoint(0, 0)), child->size());
    QColor ink = background;
    int best = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            const int distance = std::abs(pixel.lightness() - background.lightness());
            if (distance > best) {
                best = distance;
                ink = pixel;
            }
        }
    }
    return ink;
}

template <class Widget>
Widget* Child(QWidget* parent, const QString& name = QString())
{
    auto* child = parent->findChild<Widget*>(name);
    EXPECT_NE(child, nullptr) << name.toStdString();
    return child;
}

class DarkThemeTest : public testing::Test {
protected:
    void SetUp() override
    {
        machine_.WriteMachineIni("[Drive C]\nLabel=System\nDisk=0\n"
                                 "[Drive D]\nLabel=Data\nDisk=0\n"
                                 "[Drive E]\nType=2\nLabel=STICK\nDisk=1\n"
                                 "[Disk 0]\nBus=11\nSize=512110190592\n"
                                 "[Disk 1]\nBus=7\nSize=15518924800\n");
        platform::SetProgramFolder(testing_support::BuildProgramFolder());
        ApplyProgramStyle(*qApp);
    }

    // Shows the page at its own size and lets its first timers run (the drive box fills then).
    static void ShowPage(QWidget* page)
    {
        page->show();
        QElapsedTimer timer;
        timer.start();
        auto* combo = page->findChild<QComboBox*>();
        while (timer.elapsed() < 5000 && combo && combo->count() == 0)
            QTest::qWait(10);
        QTest::qWait(20);
    }

    testing_support::TempMachine machine_;
};

TEST_F(DarkThemeTest, RepairPagesShowADarkDriveBoxAndAnAccentActionButton)
{
    CDelProtectWidget writeProtection(nullptr);
    CFixUSBWidget fileShowing(nullptr);
    for (QWidget* page : {static_cast<QWidget*>(&writeProtection), static_cast<QWidget*>(&fileShowing)}) {
        SCOPED_TRACE(page->metaObject()->className());
        ShowPage(page);
        auto* combo = Child<QComboBox>(page);
        auto* button = Child<CWaitButtonEx>(page);
        ASSERT_TRUE(combo && button);
        ASSERT_GT(combo->count(), 0);
        ASSERT_TRUE(button->isEnabled());

        // Inside the box, right of its text and left of its arrow.
        EXPECT_TRUE(Near(PixelOf(page, combo, QPoint(combo->width() / 2, combo->height() / 2)), kField));
        EXPECT_GT(InkOf(page, combo, kField).lightness(), kField.lightness() + 80) << "the entry's text is dark";
        // The button's face left of its text.
        EXPECT_TRUE(Near(PixelOf(page, button, QPoint(12, button->height() / 2)), kAccent));

        button->setEnabled(false);
        const QColor disabled = PixelOf(page, button, QPoint(12, button->height() / 2));
        EXPECT_LT(disabled.lightness(), 80) << disabled.name().toStdString();
    }
}

TEST_F(DarkThemeTest, LetterTextLiesOnThePageItself)
{
    CLetterPage letter(nullptr);
    ShowPage(&letter);
    auto* text = Child<QTextEdit>(&letter, QStringLiteral("LetterTextExit"));
    ASSERT_TRUE(text);
    // The view's left margin, beside the letter's lines.
    for (const int y : {2, text->height() / 2, text->height() - 2})
        EXPECT_TRUE(Near(PixelOf(&letter, text, QPoint(1, y)), kPanel)) << y;
}

TEST_F(DarkThemeTest, MessagePopUpListsItsCardsOnItsPanelUnderALightTitle)
{
    CMsgPopWindow popup(QStringLiteral("Message"), nullptr);
    popup.setFixedSize(360, 390);
    popup.SetMsgList({CMsgItemInfo(7, QStringLiteral("Welcome"), QStringLiteral("Hello"), QDate::currentDate(), 0)});
    ShowPage(&popup);

    auto* area = Child<QScrollArea>(&popup);
    ASSERT_TRUE(area);
    // Below the only card, where the list area shows through.
    EXPECT_TRUE(Near(PixelOf(&popup, area, QPoint(area->width() / 2, area->height() - 4)), kPanel));

    auto* title = Child<QLabel>(&popup, QStringLiteral("PopMsgTitleLabel"));
    auto* mark = Child<QLabel>(&popup, QStringLiteral("PopMsgMarkLabel"));
    auto* date = Child<QLabel>(&popup, QStringLiteral("PopMsgItemTitleCloseLabel"));
    ASSERT_TRUE(title && mark && date);
    EXPECT_GT(InkOf(&popup, title, kPanel).lightness(), kPanel.lightness() + 80);
    EXPECT_TRUE(Near(InkOf(&popup, mark, kPanel), kAccent));
    EXPECT_GT(InkOf(&popup, date, QColor(QStringLiteral("#222833"))).lightness(), kPanel.lightness() + 40);
}

// The bar's strip below its handle, where only the bar's own background is drawn.
QColor BarStripOf(QWidget* window, QScrollBar* bar)
{
    return PixelOf(window, bar, QPoint(bar->width() / 2, bar->height() - 3));
}

TEST_F(DarkThemeTest, ScrollBarsAreDarkStripsExceptTheMessagePopUpsThinBarOnItsPanel)
{
    CMsgPopWindow popup(QStringLiteral("Message"), nullptr);
    popup.setFixedSize(360, 390);
    QList<CMsgItemInfo> messages;
    for (int id = 1; id <= 12; ++id)
        messages << CMsgItemInfo(id, QStringLiteral("Welcome %1").arg(id), QStringLiteral("Hello"), QDate::currentDate(), 0);
    popup.SetMsgList(messages);
    ShowPage(&popup);
    auto* area = Child<QScrollArea>(&popup);
    ASSERT_TRUE(area);
    QScrollBar* thin = area->verticalScrollBar();
    ASSERT_TRUE(thin->isVisible()) << "twelve cards overflow the list";
    EXPECT_EQ(thin->width(), 6);
    EXPECT_TRUE(Near(BarStripOf(&popup, thin), kPanel));

    QScrollArea page;
    page.resize(300, 200);
    auto* tall = new QWidget;
    tall->setFixedSize(280, 1000);
    page.setWidget(tall);
    ShowPage(&page);
    QScrollBar* dark = page.verticalScrollBar();
    ASSERT_TRUE(dark->isVisible());
    EXPECT_EQ(dark->width(), 10);
    EXPECT_TRUE(Near(BarStripOf(&page, dark), kField));
}

TEST_F(DarkThemeTest, LogInAndSignUpButtonsAreAccentsAndTheirLinksAreText)
{
    CLoginWidget login(PAGE_LOGIN, nullptr);
    ShowPage(&login);
    for (const char* name : {"ChangePwdBtn", "SwitchRegitBtn"}) {
        SCOPED_TRACE(name);
        auto* link = Child<QPushButton>(&login, QString::fromLatin1(name));
        ASSERT_TRUE(link);
        // No button face: the form's panel shows through the link's corner.
        EXPECT_TRUE(Near(PixelOf(&login, link, QPoint(1, 1)), kPanel));
        EXPECT_GT(InkOf(&login, link, kPanel).lightness(), kPanel.lightness() + 40);
    }
    int actions = 0;
    for (QPushButton* button : login.findChildren<QPushButton*>()) {
        if (!button->isVisibleTo(&login) || !button->objectName().isEmpty())
            continue;
        SCOPED_TRACE(button->text().toStdString());
        EXPECT_TRUE(Near(PixelOf(&login, button, QPoint(button->width() / 2, 4)), kAccent));
        ++actions;
    }
    EXPECT_EQ(actions, 1) << "the log-in view shows its one action button";
}

} // namespace

namespace {

// Where the desktop composites nothing, a translucent pixel shows black: each frameless window
// stands on the colour of the panels it opens over, to its corners, with no room for a shadow.
TEST_F(DarkThemeTest, WithoutCompositionFramelessWindowsStandOnThePanelsColourWithoutShadowRoom)
{
    platform::AnnounceComposition(false);
    CFixFrameBase tool(PAGE_WINDOWS_UPDATE, nullptr);
    CFixFrameBase login(PAGE_LOGIN, nullptr);
    CMessageBox box(MSGBOX_RESULT_VIEW, nullptr, QString(), QStringLiteral("File Showing"), 4);
    CSetWidget settings(nullptr);
    CMsgPopWindow messages(QStringLiteral("Message"), nullptr);
    messages.setFixedSize(360, 390);
    CFixingDialog fixing(nullptr);
    CUIMakeSureDlg question(0, QStringLiteral("Title"), QStringLiteral("Content"), {{0, QStringLiteral("OK")}}, nullptr);
    CFileFixInfo info;
    const std::vector<QWidget*> windows = {&tool, &login, &box, &settings, &messages, &fixing, &question, info.Tip()};
    for (QWidget* window : windows) {
        const char* name = window->metaObject()->className();
        window->show();
        EXPECT_FALSE(window->testAttribute(Qt::WA_TranslucentBackground)) << name;
        const QImage image = window->grab().toImage();
        const QRect edge = image.rect();
        for (const QPoint corner : {edge.topLeft(), edge.topRight(), edge.bottomLeft(), edge.bottomRight()})
            EXPECT_TRUE(Near(image.pixelColor(corner), kField)) << name << " at " << corner.x() << "," << corner.y();
        window->hide();
    }
    EXPECT_EQ(settings.size(), QSize(640, 378)) << "the settings dialog is its body alone";
    EXPECT_EQ(login.layout()->contentsMargins(), QMargins()) << "the log-in form fills its frame";
    platform::AnnounceComposition(true);
}

} // namespace
