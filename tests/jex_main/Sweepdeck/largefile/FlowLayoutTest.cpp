#include "largefile/FlowLayout.h"

#include <QWidget>
#include <gtest/gtest.h>

#include <vector>

namespace {

// A container whose flow holds count tiles of 260 by 60, laid out at the given width.
struct Flow {
    Flow(int count, int width) : layout(new FlowLayout(&panel, 24, 180, 24))
    {
        layout->setContentsMargins(40, 24, 0, 0);
        for (int i = 0; i < count; ++i) {
            auto* tile = new QWidget;
            tile->setFixedSize(260, 60);
            layout->addWidget(tile);
            tiles.push_back(tile);
        }
        layout->setGeometry(QRect(0, 0, width, 1000));
    }

    QWidget panel;
    FlowLayout* layout;
    std::vector<QWidget*> tiles;
};

} // namespace

TEST(FlowLayoutTest, ATileWrapsWhenItsRightEdgeWouldPassTheRightEdge)
{
    // The second tile ends at 40 + 260 + 180 + 260 = 740, which must not pass the area's last
    // column: it fits in 741 pixels, not in 740.
    Flow wide(3, 741);
    EXPECT_EQ(wide.tiles[0]->geometry(), QRect(40, 24, 260, 60));
    EXPECT_EQ(wide.tiles[1]->geometry(), QRect(480, 24, 260, 60));
    EXPECT_EQ(wide.tiles[2]->geometry(), QRect(40, 108, 260, 60));
    EXPECT_EQ(wide.layout->heightForWidth(741), 108 + 60);

    Flow narrow(3, 740);
    EXPECT_EQ(narrow.tiles[1]->geometry(), QRect(40, 108, 260, 60));
    EXPECT_EQ(narrow.tiles[2]->geometry(), QRect(40, 192, 260, 60));
    EXPECT_EQ(narrow.layout->heightForWidth(740), 192 + 60);
}

TEST(FlowLayoutTest, TheFirstTileOfARowNeverWrapsAndSizesFollowTheItems)
{
    Flow tight(2, 100);
    EXPECT_EQ(tight.tiles[0]->pos(), QPoint(40, 24));
    EXPECT_EQ(tight.tiles[1]->pos(), QPoint(40, 108));
    EXPECT_EQ(tight.layout->minimumSize(), QSize(300, 84));
    EXPECT_EQ(tight.layout->sizeHint(), tight.layout->minimumSize());
    EXPECT_EQ(tight.layout->horizontalSpacing(), 180);
    EXPECT_EQ(tight.layout->itemAt(2), nullptr);
    EXPECT_EQ(tight.layout->takeAt(-1), nullptr);
    delete tight.layout->takeAt(0);
    EXPECT_EQ(tight.layout->count(), 1);
}
