#include "HomeBasePage.h"
#include "ProgressDrawWdg.h"

#include "platform/Machine.h"
#include "support/TempMachine.h"

#include <QLabel>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(HomeGauge, UsedShareNeverDividesByZero)
{
    EXPECT_EQ(25, CHomeBasePage::UsedPercent(500000000000ull, 125000000000ull));
    EXPECT_EQ(0, CHomeBasePage::UsedPercent(0, 0));
    EXPECT_EQ(0, CHomeBasePage::UsedPercent(99, 99));
    EXPECT_EQ(100, CHomeBasePage::UsedPercent(100, 100));
    EXPECT_EQ(100, CHomeBasePage::UsedPercent(1000, 5000));
    EXPECT_EQ(99, CHomeBasePage::UsedPercent(10000, 9999));

    CProgressDrawWdg gauge(nullptr);
    gauge.SetValue(150);
    EXPECT_EQ(100, gauge.Value());
    gauge.SetValue(-5);
    EXPECT_EQ(0, gauge.Value());
}

// The ring's colour at a clockwise angle from the top, in degrees.
QColor RingAt(const QImage& image, double degrees)
{
    const double radians = degrees * M_PI / 180;
    return image.pixelColor(90 + static_cast<int>(std::lround(87 * std::sin(radians))),
                            90 - static_cast<int>(std::lround(87 * std::cos(radians))));
}

TEST(HomeGauge, RingColoursTheUsedShareClockwiseFromTheTop)
{
    const QColor track(47, 54, 71);
    CProgressDrawWdg gauge(nullptr);
    gauge.setFixedSize(180, 180);

    gauge.SetValue(25);
    QImage image = gauge.grab().toImage();
    EXPECT_NE(track, RingAt(image, 45));
    EXPECT_EQ(track, RingAt(image, 135));
    EXPECT_EQ(track, RingAt(image, 270));

    gauge.SetValue(0);
    image = gauge.grab().toImage();
    for (const double degrees : {45.0, 135.0, 225.0, 315.0})
        EXPECT_EQ(track, RingAt(image, degrees)) << degrees;

    gauge.SetValue(100);
    image = gauge.grab().toImage();
    for (const double degrees : {45.0, 135.0, 225.0, 315.0})
        EXPECT_NE(track, RingAt(image, degrees)) << degrees;
}

class HomeBasePageTest : public testing::Test {
protected:
    QLabel* PartName(CHomeBasePage& page) { return page.findChild<QLabel*>(QStringLiteral("sysPartName")); }
    CProgressDrawWdg* Gauge(CHomeBasePage& page) { return page.findChild<CProgressDrawWdg*>(); }

    testing_support::TempMachine machine_;
};

TEST_F(HomeBasePageTest, SystemPartitionNameAndShare)
{
    machine_.WriteMachineIni("[Drive C]\nLabel=System\nTotalBytes=500000000000\nFreeBytes=375000000000\n");
    CHomeBasePage page(nullptr);
    EXPECT_EQ(QStringLiteral("System(C:)"), PartName(page)->text());
    EXPECT_EQ(25, Gauge(page)->Value());

    QString label, letter;
    quint64 total = 0, used = 0;
    ASSERT_TRUE(page.GetSystemVolumeInfo(label, total, used, letter));
    EXPECT_EQ(QStringLiteral("C"), letter);
    EXPECT_EQ(500000000000ull, total);
    EXPECT_EQ(125000000000ull, used);
}

TEST_F(HomeBasePageTest, VolumeWithoutLabelShowsTheShellNameWithoutItsDrivePart)
{
    machine_.WriteMachineIni("[Drive C]\nLabel=\nTotalBytes=1000\nFreeBytes=1000\n");
    CHomeBasePage page(nullptr);
    const QString text = PartName(page)->text();
    EXPECT_TRUE(text.endsWith(QStringLiteral("(C:)"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral(" (C:)"))) << text.toStdString();
    EXPECT_GT(text.size(), 4);
    EXPECT_EQ(0, Gauge(page)->Value());
}

TEST_F(HomeBasePageTest, LongNameIsShortenedInTheMiddle)
{
    machine_.WriteMachineIni("[Drive C]\nLabel=" + std::string(60, 'W') + "\nTotalBytes=1000\nFreeBytes=100\n");
    CHomeBasePage page(nullptr);
    const QString text = PartName(page)->text();
    EXPECT_TRUE(text.contains(QChar(0x2026)));
    EXPECT_TRUE(text.endsWith(QStringLiteral("(C:)")));
    EXPECT_EQ(90, Gauge(page)->Value());
}

TEST_F(HomeBasePageTest, CardsAskForTheirToolsPageType)
{
    CHomeBasePage page(nullptr);
    QSignalSpy asked(&page, &CHomeBasePage::sigBtnClicked);
    for (const int id : {0, 1, 2, 3, 4, 5, -1})
        page.BtnClickSlot(id);
    ASSERT_EQ(5, asked.count());
    const int types[] = {3, 5, 4, 10, 11};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(types[i], asked.at(i).at(0).toInt());
}

} // namespace
