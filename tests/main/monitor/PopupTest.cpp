// The two pop-ups as the user meets them: what each button and the auto-hide do, and the usage
// events the build's Preludex records for them.
#include "FakeSources.h"
#include "GarbageCleanWnd.h"
#include "StarUpWnd.h"

#include "PageTestSupport.h"

#include "support/TempMachine.h"
#include "support/WaitUntil.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

using page_test::Events;
using page_test::EventsOf;

class PopupTest : public testing::Test {
protected:
    void SetUp() override
    {
        programFolder_ = machine_.UseProgramFolder();
        page_test::UsePreludex();
    }

    static QPushButton* Button(QWidget& popup, const QString& text)
    {
        for (QPushButton* button : popup.findChildren<QPushButton*>())
            if (button->text() == text || button->objectName() == text)
                return button;
        return nullptr;
    }

    static QString Attribute(const QJsonObject& event) { return event.value("Attribute").toString(); }

    testing_support::TempMachine machine_;
    std::string programFolder_;
    std::shared_ptr<CFakeSources> clock_ = std::make_shared<CFakeSources>();
};

TEST_F(PopupTest, JunkPopupSlidesInAndCleanUpReportsClickAndResult)
{
    CGarbageCleanWnd popup(clock_);
    QSignalSpy clean(&popup, &CGarbageCleanWnd::sigClean);
    QSignalSpy close(&popup, &CGarbageCleanWnd::sigClose);
    popup.SetSizeText(QStringLiteral("1.25 GB \"big\""));
    popup.ShowWnd();
    EXPECT_EQ(QSize(340, 160), popup.size());
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(page_test::WaitUntil([&] { return popup.pos() == QPoint(area.right() + 1 - 340, area.bottom() + 1 - 160); }))
        << "ends at the bottom right";

    clock_->tick += 7500;
    Button(popup, QStringLiteral("Clean up"))->click();
    EXPECT_FALSE(popup.isVisible());
    EXPECT_EQ(1, clean.count());
    EXPECT_EQ(0, close.count());

    const auto events = Events(2);
    ASSERT_EQ(1u, EventsOf(events, "JunkFileRemind", "Click_Cleanup").size());
    const auto results = EventsOf(events, "JunkFileRemind", "Result_Popup");
    ASSERT_EQ(1u, results.size());
    const QJsonObject attribute = QJsonDocument::fromJson(Attribute(results[0]).toUtf8()).object();
    EXPECT_EQ("Success", attribute.value("PopupResult").toString());
    EXPECT_EQ("7", attribute.value("Time").toString());
    EXPECT_EQ("1.25 GB \"big\"", attribute.value("Size").toString()) << "a quote in the size stays valid JSON";

    popup.HideWnd();
    EXPECT_EQ(2u, Events().size()) << "a hidden pop-up reports nothing";
}

TEST_F(PopupTest, JunkPopupTakesItsShapeWhenFirstShown)
{
    // The card's picture: opaque but for a clear top-left corner.
    QImage shape(340, 160, QImage::Format_ARGB32);
    shape.fill(Qt::white);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            shape.setPixelColor(x, y, Qt::transparent);
    QDir(QString::fromStdString(programFolder_)).mkpath(QStringLiteral("res"));
    ASSERT_TRUE(shape.save(QString::fromStdString(programFolder_ + "/res/pic_zhezhao_jiankong.png")));

    CGarbageCleanWnd popup(clock_);
    EXPECT_TRUE(popup.mask().isEmpty()) << "a card never shown reads no picture";
    popup.ShowWnd();
    const QRegion taken = popup.mask();
    EXPECT_FALSE(taken.contains(QPoint(2, 2)));
    EXPECT_TRUE(taken.contains(QPoint(100, 100)));
    popup.HideWnd();
    popup.ShowWnd();
    EXPECT_EQ(taken, popup.mask()) << "shown again, the card keeps its shape";
}

TEST_F(PopupTest, JunkPopupHidesItselfAfterItsDurationAndTheCloseButtonSuppresses)
{
    CGarbageCleanWnd popup(clock_);
    QSignalSpy close(&popup, &CGarbageCleanWnd::sigClose);
    popup.SetDuration(1);
    popup.ShowWnd();
    clock_->tick += 30000;
    ASSERT_TRUE(page_test::WaitUntil([&] { return !popup.isVisible(); }, testing_support::kPatience.count()));
    EXPECT_EQ(0, close.count());
    auto events = Events(1);
    ASSERT_EQ(1u, EventsOf(events, "JunkFileRemind", "Result_Popup").size());
    EXPECT_TRUE(Attribute(EventsOf(events, "JunkFileRemind", "Result_Popup")[0]).contains("\"Time\":\"30\""));
    EXPECT_TRUE(EventsOf(events, "JunkFileRemind", "Click_Close").empty());

    popup.ShowWnd();
    Button(popup, QStringLiteral("Quarnel_CloseBtn"))->click();
    EXPECT_EQ(1, close.count());
    events = Events(3);
    EXPECT_EQ(1u, EventsOf(events, "JunkFileRemind", "Click_Close").size());
    EXPECT_EQ(2u, EventsOf(events, "JunkFileRemind", "Result_Popup").size());
}

TEST_F(PopupTest, AssistantShowsThePictureScaledAndItsButtonsReport)
{
    CStarUpWnd popup(clock_);
    QSignalSpy hide(&popup, &CStarUpWnd::sigHide);
    QSignalSpy scan(&popup, &CStarUpWnd::sigScan);
    QImage picture(100, 50, QImage::Format_RGB32);
    picture.fill(QColor(200, 40, 40));
    popup.SetPixmap(QPixmap::fromImage(picture));
    popup.SetText(QStringLiteral("<b>not bold</b>"));
    popup.ShowWnd();
    ASSERT_TRUE(page_test::WaitUntil([&] { return popup.pos().x() + 350 == QGuiApplication::primaryScreen()->availableGeometry().right() + 1; }));
    page_test::WaitUntil([] { return false; }, 500);  // the fade and the text's slide end

    const QImage shown = popup.grab().toImage();
    EXPECT_EQ(QSize(350, 410), popup.size());
    const QColor top = shown.pixelColor(5, 200);
    EXPECT_GT(top.red(), 120) << "the picture fills the card, under the card's dim veil";
    EXPECT_LT(top.green(), 60);
    const QColor strip = shown.pixelColor(5, 400);
    EXPECT_EQ(QColor(QStringLiteral("#272d3b")), strip) << "the strip under the text";

    bool plain = false;
    for (QLabel* label : popup.findChildren<QLabel*>())
        plain = plain || label->text() == QStringLiteral("<b>not bold</b>") && label->textFormat() == Qt::PlainText;
    EXPECT_TRUE(plain) << "the day's text is shown as it is written";

    Button(popup, QStringLiteral("Clean up"))->click();
    EXPECT_EQ(1, scan.count());
    EXPECT_EQ(0, hide.count());

    popup.ShowWnd();
    Button(popup, QStringLiteral("Quarnel_CloseBtn"))->click();
    EXPECT_EQ(1, hide.count());

    popup.SetDuration(1);
    popup.ShowWnd();
    ASSERT_TRUE(page_test::WaitUntil([&] { return hide.count() == 2; }, testing_support::kPatience.count())) << "a timeout hides it too";

    const auto events = Events(5);
    EXPECT_EQ(1u, EventsOf(events, "StartupAssistant", "Click_Cleanup").size());
    EXPECT_EQ(1u, EventsOf(events, "StartupAssistant", "Click_Close").size());
    EXPECT_EQ(3u, EventsOf(events, "StartupAssistant", "Result_Popup").size());
}

} // namespace
