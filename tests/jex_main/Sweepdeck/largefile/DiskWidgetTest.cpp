#include "largefile/DiskWidget.h"
#include "support/WaitUntil.h"

#include <QHelpEvent>
#include <QImage>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>
#include <gtest/gtest.h>

namespace {

// A drive category whose record the test sets; it notes its own destruction.
class CFakeCatagory : public IBigFileCatagory {
public:
    explicit CFakeCatagory(bool* destroyed) : destroyed_(destroyed) {}
    ~CFakeCatagory() override { *destroyed_ = true; }
    _BigFileItem_Info_* GetInfo() override { return &info; }
    OpResult Refresh() override
    {
        ++refreshes;
        return RESULT_OK;
    }

    _BigFileItem_Info_ info;
    int refreshes = 0;

private:
    bool* destroyed_;
};

struct Tile {
    explicit Tile(uint64_t total, uint64_t used, int type = 3, bool checkable = true) : widget(checkable)
    {
        catagory = new CFakeCatagory(&destroyed);
        catagory->info.displayName = L"Local Disk (D:)";
        catagory->info.type = type;
        catagory->info.totalBytes = total;
        catagory->info.usedBytes = used;
        widget.SetCatagory(catagory);
        catagory->Release();
    }

    // Bar pixels: reddish (the full-drive gradient) and greenish (the normal one), and the rightmost
    // column holding either.
    void ScanBar(int* red, int* green, int* rightmost)
    {
        const QImage image = widget.grab().toImage();
        *red = *green = 0;
        *rightmost = -1;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                const bool isRed = c.red() > 0xe0 && c.green() < 0xa0 && c.blue() < 0x70;
                const bool isGreen = c.green() > 0xb0 && c.red() < 0xc8 && c.blue() < 0x40;
                *red += isRed;
                *green += isGreen;
                if (isRed || isGreen)
                    *rightmost = std::max(*rightmost, x);
            }
    }

    bool destroyed = false;
    CFakeCatagory* catagory;
    CDiskWidget widget;
};

} // namespace

TEST(DiskWidgetTest, TheBarTurnsRedFromEightyOnePercentAndNeverPassesItsTrack)
{
    Tile green(100, 80);
    Tile red(100, 81);
    Tile over(100, 250);
    EXPECT_EQ(green.widget.UsedPercent(), 80);
    EXPECT_EQ(red.widget.UsedPercent(), 81);
    EXPECT_EQ(over.widget.UsedPercent(), 100);
    int reds = 0, greens = 0, right = 0;
    green.ScanBar(&reds, &greens, &right);
    EXPECT_EQ(reds, 0);
    EXPECT_GT(greens, 0);
    red.ScanBar(&reds, &greens, &right);
    EXPECT_GT(reds, 0);
    EXPECT_EQ(greens, 0);
    // The track ends 7 pixels before the tile's right edge.
    over.ScanBar(&reds, &greens, &right);
    EXPECT_GT(reds, 0);
    EXPECT_LE(right, over.widget.width() - 7);
}

TEST(DiskWidgetTest, ADriveWithoutSizeKeepsItsShareAndTheSameCategoryGivenAgainSurvives)
{
    Tile tile(200, 50);
    EXPECT_EQ(tile.widget.UsedPercent(), 25);
    tile.catagory->info.totalBytes = 0;
    tile.catagory->info.usedBytes = 0;
    tile.widget.UpdateInfo();
    EXPECT_EQ(tile.widget.UsedPercent(), 25);
    EXPECT_EQ(tile.catagory->refreshes, 2);

    tile.widget.SetCatagory(tile.catagory);
    EXPECT_FALSE(tile.destroyed);
    EXPECT_EQ(tile.catagory->refreshes, 3);
    Tile fresh(0, 0);
    EXPECT_EQ(fresh.widget.UsedPercent(), 0);
}

TEST(DiskWidgetTest, ClickingTicksACheckableTileOnlyAndTheNameShowsItsTooltip)
{
    Tile checkable(100, 10);
    Tile plain(100, 10, 4, false);
    EXPECT_EQ(checkable.widget.width(), 260);
    EXPECT_EQ(plain.widget.width(), 230);
    QSignalSpy ticked(&checkable.widget, &CDiskWidget::SelCchanged);
    QSignalSpy ignored(&plain.widget, &CDiskWidget::SelCchanged);
    QTest::mouseClick(&checkable.widget, Qt::RightButton, {}, QPoint(200, 30));
    QTest::mouseClick(&plain.widget, Qt::LeftButton);
    EXPECT_EQ(ticked.count(), 1);
    EXPECT_TRUE(checkable.widget.IsChecked());
    EXPECT_EQ(checkable.catagory->GetCheckState(), 1);
    EXPECT_EQ(ignored.count(), 0);
    EXPECT_EQ(plain.catagory->GetCheckState(), 0);

    checkable.catagory->info.displayName = L"<i>Films</i> (E:)";
    checkable.widget.UpdateInfo();
    checkable.widget.show();
    checkable.widget.grab();
    // The name is drawn right of the check box and the drive icon, in the upper half.
    QHelpEvent overName(QEvent::ToolTip, QPoint(100, 16), checkable.widget.mapToGlobal(QPoint(100, 16)));
    QCoreApplication::sendEvent(&checkable.widget, &overName);
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_TRUE(QToolTip::text().contains("&lt;i&gt;Films&lt;/i&gt; (E:)"));
    QHelpEvent elsewhere(QEvent::ToolTip, QPoint(3, 3), checkable.widget.mapToGlobal(QPoint(3, 3)));
    QCoreApplication::sendEvent(&checkable.widget, &elsewhere);
    EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, testing_support::kPatience.count()));
}
