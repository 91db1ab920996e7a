#include "JunkTestSupport.h"
#include "junk/ListHeader.h"

#include <QImage>
#include <QStandardItemModel>
#include <QTest>
#include <QTreeView>
#include <gtest/gtest.h>

namespace {

const QColor kFill("#2c3342");
const QColor kSeparator("#20242f");

struct HeaderView {
    QStandardItemModel model{2, 3};
    QTreeView view;
    CListHeader* header = new CListHeader;

    HeaderView()
    {
        junk_test::UseBuildProgramFolder();
        model.setHorizontalHeaderLabels({"MMMM", "MMMM", "MMMM"});
        view.setHeader(header);
        view.setModel(&model);
        header->resizeSection(0, 150);
        header->resizeSection(1, 150);
        view.resize(480, 200);
        view.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&view));
    }

    QImage Grab() const { return header->grab().toImage(); }
};

// The first column of the section (from its left edge) holding a pixel that is neither the fill
// nor the separator: where the text starts.
int FirstInk(const QImage& image, int left, int right)
{
    for (int x = left; x < right; ++x)
        for (int y = 0; y < image.height(); ++y) {
            const QColor pixel = image.pixelColor(x, y);
            if (pixel != kFill && pixel != kSeparator)
                return x - left;
        }
    return -1;
}

bool HasInk(const QImage& image, const QRect& area)
{
    for (int x = area.left(); x <= area.right(); ++x)
        for (int y = area.top(); y <= area.bottom(); ++y)
            if (image.pixelColor(x, y) != kFill && image.pixelColor(x, y) != kSeparator)
                return true;
    return false;
}

} // namespace

TEST(ListHeader, PaintsDarkSectionsWithIndentedTextAndSeparatorsButAfterTheLast)
{
    HeaderView view;
    const QImage image = view.Grab();
    EXPECT_EQ(view.header->height(), 32);
    EXPECT_EQ(image.pixelColor(2, 2), kFill);

    const int first = FirstInk(image, 0, 150);
    const int second = FirstInk(image, 150, 300);
    EXPECT_GE(first, 20);
    EXPECT_LE(first, 23);
    EXPECT_GE(second, 5);
    EXPECT_LE(second, 8);

    const int middle = image.height() / 2;
    EXPECT_EQ(image.pixelColor(149, middle), kSeparator);
    EXPECT_EQ(image.pixelColor(149, 4), kFill) << "the separator stops 8 px from the top";
    EXPECT_EQ(image.pixelColor(299, middle), kSeparator);
    EXPECT_EQ(image.pixelColor(image.width() - 1, middle), kFill) << "no separator after the last section";
}

TEST(ListHeader, ShowsTheSortArrowOnlyOnceSortableAndClicked)
{
    HeaderView view;
    view.view.setSortingEnabled(true);
    // Under the middle of section 0's text area, one arrow height down.
    const QRect arrowArea(85, 5, 8, 5);

    QTest::mouseClick(view.header->viewport(), Qt::LeftButton, {}, QPoint(75, 16));
    EXPECT_FALSE(view.header->ArrowsShown());
    EXPECT_FALSE(HasInk(view.Grab(), arrowArea));

    view.header->SetSortable(true);
    QTest::mouseClick(view.header->viewport(), Qt::LeftButton, {}, QPoint(75, 16));
    EXPECT_TRUE(view.header->ArrowsShown());
    EXPECT_TRUE(HasInk(view.Grab(), arrowArea));
}
