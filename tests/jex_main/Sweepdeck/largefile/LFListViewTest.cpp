#include "LargeFileMachine.h"

#include "largefile/LFListData.h"
#include "largefile/LFListView.h"
#include "services/UIPublic.h"
#include "support/WaitUntil.h"

#include <QHeaderView>
#include <QImage>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <vector>

using namespace largefile_test;

namespace {

constexpr uint64_t kMiB = 1024 * 1024;

// Whether every pixel of the area has one of the list's own colours: the area was painted, and
// painted dark, not left to Qt's default look.
bool OnlyColours(const QImage& image, const QRect& area, const std::vector<QColor>& colours)
{
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (std::find(colours.begin(), colours.end(), image.pixelColor(x, y)) == colours.end())
                return false;
    return true;
}

} // namespace

class LFListViewTest : public LargeFileTest {
protected:
    void SetUp() override
    {
        LargeFileTest::SetUp();
        CheckDrives(L"D");
        for (int i = 0; i < 5; ++i)
            MakeFile("data/file" + std::to_string(i) + ".bin", (30 + i) * kMiB);
        Scan(20 * kMiB);
        model = std::make_unique<CLFListData>();
        std::thread worker([this] { model->LoadGarbages(false); });
        worker.join();
        model->ShowLoaded();
        view.SetListData(model.get());
        view.resize(780, 300);
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    }

    QPoint CellCentre(int row, int column) { return view.visualRect(model->index(row, column)).center(); }

    std::unique_ptr<CLFListData> model;
    CLFListView view;
};

TEST_F(LFListViewTest, ClicksOnTheFirstThreeColumnsTickTheRowButNotTheMiddleButtonNorDuringADeletion)
{
    ASSERT_EQ(model->rowCount(), 5);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, CellCentre(0, 0));
    QTest::mouseClick(view.viewport(), Qt::RightButton, {}, CellCentre(1, 2));
    QTest::mouseClick(view.viewport(), Qt::MiddleButton, {}, CellCentre(2, 1));
    EXPECT_EQ(model->FileAt(0)->GetCheckState(), 1);
    EXPECT_EQ(model->FileAt(1)->GetCheckState(), 1);
    EXPECT_EQ(model->FileAt(2)->GetCheckState(), 0);
    // A double click toggles twice.
    QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, CellCentre(3, 1));
    EXPECT_EQ(model->FileAt(3)->GetCheckState(), 0);

    model->BeginDelete();
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, CellCentre(4, 0));
    EXPECT_EQ(model->FileAt(4)->GetCheckState(), 0);
    int deleted = 0, failed = 0;
    qint64 size = 0;
    std::thread worker([this] { model->EmptyGarbage(); });
    worker.join();
    model->FinishDelete(deleted, failed, size);
    EXPECT_EQ(deleted, 2);
}

TEST_F(LFListViewTest, TheLocationColumnOpensTheFilesFolderUnderAHandAndTheListIsDarkThroughout)
{
    // The desktop's opener is the test's own, which notes what it was asked to open.
    const std::string record = machine.Root() + "/opened.txt";
    const std::string opener = machine.WriteFile("opener.sh", "#!/bin/sh\necho \"$1\" >> " + record + "\n");
    std::filesystem::permissions(opener, std::filesystem::perms::owner_all);
    setenv("QUARNEL_OPEN_COMMAND", opener.c_str(), 1);
    QTest::mouseMove(view.viewport(), CellCentre(0, 3));
    EXPECT_EQ(view.cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, CellCentre(0, 3));
    EXPECT_EQ(model->FileAt(0)->GetCheckState(), 0);
    testing_support::WaitUntil([&] { return !testing_support::ReadFile(record).empty(); });
    unsetenv("QUARNEL_OPEN_COMMAND");
    EXPECT_EQ(testing_support::ReadFile(record), machine.Root() + "/data\n");
    QTest::mouseMove(view.viewport(), CellCentre(0, 0));
    EXPECT_EQ(view.cursor().shape(), Qt::ArrowCursor);
    // No row hovered while the list is looked at.
    QTest::mouseMove(view.viewport(), QPoint(10, view.viewport()->height() - 2));

    EXPECT_EQ(view.header()->height(), 32);
    EXPECT_EQ(view.visualRect(model->index(0, 0)).height(), 32);
    // The header beside its titles, the rows beside their texts and the space below the rows.
    const QImage image = view.grab().toImage();
    const int width = image.width();
    const int rowsEnd = view.viewport()->mapTo(&view, view.visualRect(model->index(4, 0)).bottomLeft()).y();
    const QColor panel("#20242f");
    EXPECT_TRUE(OnlyColours(image, QRect(width - 120, 2, 100, 26), {QColor("#252b38")}));
    EXPECT_TRUE(OnlyColours(image, QRect(width - 120, 40, 100, rowsEnd - 44), {panel, QColor("#272d3b")}));
    EXPECT_TRUE(OnlyColours(image, QRect(0, rowsEnd + 2, width, image.height() - rowsEnd - 2), {panel}));
}

TEST_F(LFListViewTest, AttachingTheSameModelAgainShowsHiddenRowsAndKeepsTheColumnWidths)
{
    EXPECT_EQ(view.header()->sectionSize(1), 100);
    view.header()->resizeSection(0, 340);
    view.setRowHidden(2, QModelIndex(), true);
    view.SetListData(model.get());
    EXPECT_FALSE(view.isRowHidden(2, QModelIndex()));
    EXPECT_EQ(view.header()->sectionSize(0), 340);
}
