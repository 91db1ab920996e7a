#include "FakeCatagory.h"
#include "JunkTestSupport.h"
#include "junk/AsyncExecMember.h"
#include "junk/BindData.h"
#include "junk/CleanUpItemDelegate.h"
#include "junk/CleanupTreeList.h"
#include "junk/RichText.h"
#include "services/UIPublic.h"

#include "platform/Machine.h"
#include "platform/Windows.h"
#include "support/TempMachine.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <gtest/gtest.h>

#include <fstream>

namespace {

using junk_rows::kHitRectRole;

// A tree as the page fills it: two groups, each followed by its spacer, the first with a program
// row and two leaves.
class CategoryTree : public testing::Test {
protected:
    void SetUp() override
    {
        junk_test::UseBuildProgramFolder();
        system.info.icon = L"icon_system.png";
        leaf = system.AddChild(L"Temporary files");
        leaf->size = 3000;
        leaf->count = 3;
        partLeaf = system.AddChild(L"Logs");
        partLeaf->size = 500;
        partLeaf->count = 1;
        partLeaf->check = 1;

        systemRow = AddGroup(&system);
        leafRow = AddChild(systemRow, leaf, 3);
        partRow = AddChild(systemRow, partLeaf, 3);
        browserRow = AddGroup(&browsers);
        systemRow->setExpanded(true);

        tree.resize(640, 420);
        tree.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&tree));
        Paint();
    }

    QTreeWidgetItem* AddGroup(CFakeCatagory* category)
    {
        auto* row = new QTreeWidgetItem(&tree);
        tree.AddSpacer();
        row->setText(0, QString::fromStdWString(category->info.name));
        row->setData(0, Qt::UserRole, QVariant::fromValue(bindData{category, 1, category->info.kind}));
        return row;
    }

    QTreeWidgetItem* AddChild(QTreeWidgetItem* group, CFakeCatagory* category, int level)
    {
        auto* row = new QTreeWidgetItem(group);
        row->setText(0, QString::fromStdWString(category->info.name));
        row->setData(0, Qt::UserRole, QVariant::fromValue(bindData{category, level, category->info.kind}));
        return row;
    }

    void Paint() { tree.viewport()->grab(); }

    QRect Hit(QTreeWidgetItem* row, int column) const { return row->data(column, kHitRectRole).toRect(); }

    void Click(const QPoint& at) { QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, at); }

    CFakeCatagory system{L"System junk", 0};
    CFakeCatagory browsers{L"Web browsers", 1, L"icon_browser.png"};
    CFakeCatagory* leaf = nullptr;
    CFakeCatagory* partLeaf = nullptr;
    CCleanupTreeList tree;
    QTreeWidgetItem* systemRow = nullptr;
    QTreeWidgetItem* leafRow = nullptr;
    QTreeWidgetItem* partRow = nullptr;
    QTreeWidgetItem* browserRow = nullptr;
};

TEST_F(CategoryTree, ClicksToggleChecksOpenDetailsAndOpenGroupsOnlyWhileIdle)
{
    tree.SetAnalysed(true);
    Paint();
    std::vector<QTreeWidgetItem*> toggled;
    std::vector<QTreeWidgetItem*> details;
    QObject::connect(&tree, &CCleanupTreeList::checkToggled, [&](QTreeWidgetItem* row) { toggled.push_back(row); });
    QObject::connect(&tree, &CCleanupTreeList::detail, [&](QTreeWidgetItem* row) { details.push_back(row); });

    ASSERT_TRUE(Hit(systemRow, 0).isValid());
    Click(Hit(systemRow, 0).center());
    ASSERT_EQ(toggled.size(), 1u);
    EXPECT_EQ(toggled[0], systemRow);
    EXPECT_TRUE(systemRow->isExpanded()) << "a click on the check box never opens or closes the group";

    const QRect link = Hit(leafRow, 3);
    ASSERT_TRUE(link.isValid());
    EXPECT_EQ(link.right() + 1, tree.visualItemRect(leafRow).right() + 1 - 15);
    Click(link.center());
    ASSERT_EQ(details.size(), 1u);
    EXPECT_EQ(details[0], leafRow);

    Click(tree.visualItemRect(systemRow).center());
    EXPECT_FALSE(systemRow->isExpanded());
    Click(tree.visualItemRect(systemRow).center());
    EXPECT_TRUE(systemRow->isExpanded());

    for (int mode : {CCleanupTreeList::Analysing, CCleanupTreeList::Cleaning}) {
        tree.SetWorkMode(mode);
        tree.clearSelection();
        Click(Hit(systemRow, 0).center());
        Click(tree.visualItemRect(systemRow).center());
        Click(link.center());
        EXPECT_EQ(toggled.size(), 1u);
        EXPECT_EQ(details.size(), 1u);
        EXPECT_TRUE(systemRow->isExpanded());
        EXPECT_TRUE(tree.selectedItems().isEmpty());
    }
}

TEST_F(CategoryTree, DetailsOpenOnlyWhereTheLinkIsDrawn)
{
    // Painted before an analysis: the row's check box is drawn, its link is not.
    Paint();
    ASSERT_TRUE(Hit(leafRow, 0).isValid()) << "the row was painted";
    EXPECT_FALSE(Hit(leafRow, 3).isValid()) << "no column texts before an analysis";
    tree.SetAnalysed(true);
    Paint();
    const QRect link = Hit(leafRow, 3);
    ASSERT_TRUE(link.isValid());
    EXPECT_FALSE(Hit(partRow, 3).isValid()) << "a partly checked row shows no count, size or link";

    int details = 0;
    QObject::connect(&tree, &CCleanupTreeList::detail, [&] { ++details; });
    const struct {
        const char* row;
        int check;
        uint64_t count;
    } hidden[] = {{"an unticked row", 0, 3}, {"a row whose junk is all cleaned", 2, 0}};
    for (const auto& row : hidden) {
        leaf->check = row.check;
        leaf->count = row.count;
        Paint();
        EXPECT_FALSE(Hit(leafRow, 3).isValid()) << row.row;
        Click(link.center());
        EXPECT_EQ(details, 0) << row.row;
    }
    leaf->check = 2;
    leaf->count = 3;
    Paint();
    Click(link.center());
    EXPECT_EQ(details, 1) << "drawn again, the link opens again";
}

TEST_F(CategoryTree, StatusAndColumnTextsFollowTheState)
{
    using Rows = CCleanUpItemDelegate;
    leaf->count = 3;
    leaf->size = 3000;
    const QString found = QStringLiteral("Found: 3 files (%1)").arg(CUIPublic::FormatSize(3000));
    const QString left = QStringLiteral("Uncleaned:3(%1)").arg(CUIPublic::FormatSize(3000));
    const struct {
        int state;
        int kind;
        int workMode;
        QString text;
    } statuses[] = {
        {0, 0, CCleanupTreeList::Analysing, QStringLiteral("Wait")},
        {0, 0, CCleanupTreeList::Idle, QStringLiteral("clean junk files on the system")},
        {0, 1, CCleanupTreeList::Cleaning, QStringLiteral("clean junk files generated when browsing the web")},
        {0, 2, CCleanupTreeList::Idle, QStringLiteral("clean junk files produced by Windows built-in applications")},
        {0, 3, CCleanupTreeList::Idle, QStringLiteral("clean application junk files")},
        {1, 0, CCleanupTreeList::Analysing, QStringLiteral("Analyzing...")},
        {2, 0, CCleanupTreeList::Idle, found},
        {3, 0, CCleanupTreeList::Idle, left},
        {3, 0, CCleanupTreeList::Cleaning, QStringLiteral("Wait")},
        {4, 0, CCleanupTreeList::Cleaning, QStringLiteral("Cleaning...")},
        {5, 0, CCleanupTreeList::Idle, QStringLiteral("Cleaning completed.")},
    };
    for (const auto& row : statuses) {
        leaf->state = row.state;
        EXPECT_EQ(Rows::StatusText(leaf, row.kind, row.workMode), row.text) << row.state << " " << row.workMode;
    }
    EXPECT_EQ(Rows::StatusText(nullptr, 0, CCleanupTreeList::Idle), QStringLiteral("Analysis completed."));

    const struct {
        uint64_t count;
        int column;
        int workMode;
        QString text;
    } columns[] = {
        {3, 1, CCleanupTreeList::Idle, QStringLiteral("3 file(s)")},
        {0, 1, CCleanupTreeList::Idle, QStringLiteral("Not found")},
        {3, 2, CCleanupTreeList::Idle, CUIPublic::FormatSize(3000)},
        {0, 2, CCleanupTreeList::Idle, QString()},
        {3, 3, CCleanupTreeList::Idle, QStringLiteral("Details")},
        {3, 3, CCleanupTreeList::Analysing, QString()},
        {0, 3, CCleanupTreeList::Idle, QString()},
    };
    for (const auto& cell : columns) {
        leaf->count = cell.count;
        EXPECT_EQ(Rows::ColumnText(leaf, cell.column, cell.workMode), cell.text) << cell.column << " " << cell.count;
    }
}

// The bounding box of the pixels of the colour in the tree's picture, within the rectangle.
QRect PixelsOf(const QImage& image, const QRect& within, const QColor& colour)
{
    QRect box;
    for (int y = within.top(); y <= within.bottom(); ++y)
        for (int x = within.left(); x <= within.right(); ++x)
            if (image.pixelColor(x, y) == colour)
                box |= QRect(x, y, 1, 1);
    return box;
}

TEST_F(CategoryTree, AProgramRowShowsItsIconHandleAt16PixelsElseItsIconFile)
{
    CFakeCatagory apps{L"Applications", 3, L"icon_otherapp.png"};
    CFakeCatagory* program = apps.AddChild(L"Some program");
    program->info.icon = L"icon_app.png";
    constexpr int kSide = 32;
    const std::vector<BYTE> mask(kSide * kSide / 8, 0);
    std::vector<BYTE> pixels;
    for (int i = 0; i < kSide * kSide; ++i)
        pixels.insert(pixels.end(), {0xFF, 0x00, 0xFF, 0xFF});  // opaque magenta, as blue, green, red, alpha
    program->icon = CreateIcon(nullptr, kSide, kSide, 1, 32, mask.data(), pixels.data());
    ASSERT_NE(program->icon, nullptr);
    QTreeWidgetItem* appsRow = AddGroup(&apps);
    QTreeWidgetItem* programRow = AddChild(appsRow, program, 2);
    appsRow->setExpanded(true);
    tree.scrollToItem(programRow);

    const QColor magenta(255, 0, 255);
    const auto iconBox = [&] {
        return PixelsOf(tree.viewport()->grab().toImage(), tree.visualItemRect(programRow), magenta);
    };
    EXPECT_EQ(iconBox().size(), QSize(16, 16));

    ASSERT_TRUE(DestroyIcon(program->icon));
    EXPECT_TRUE(iconBox().isEmpty()) << "a handle that is gone draws nothing of it";
    program->icon = nullptr;
    const QImage withFile = tree.viewport()->grab().toImage().copy(tree.visualItemRect(programRow));
    program->info.icon = L"no_such_icon.png";
    const QImage withoutFile = tree.viewport()->grab().toImage().copy(tree.visualItemRect(programRow));
    EXPECT_NE(withFile, withoutFile) << "without a handle the icon file is drawn";
}

TEST_F(CategoryTree, ASelectedRowKeepsThePagesLookLeftOfIt)
{
    tree.setCurrentItem(systemRow);
    systemRow->setSelected(true);
    const QImage image = tree.viewport()->grab().toImage();
    const QRect row = tree.visualItemRect(systemRow);
    for (int x = 0; x < tree.indentation(); x += 4)
        EXPECT_EQ(image.pixelColor(x, row.center().y()), QColor("#20242f")) << x;
}

TEST_F(CategoryTree, RowHeightsAndColumnWidths)
{
    EXPECT_EQ(tree.visualItemRect(systemRow).height(), 64);
    EXPECT_EQ(tree.visualItemRect(tree.topLevelItem(1)).height(), 6) << "the spacer";
    EXPECT_EQ(tree.visualItemRect(leafRow).height(), 32);
    EXPECT_EQ(tree.visualItemRect(browserRow).height(), 54);

    CCleanUpItemDelegate* rows = tree.RowDelegate();
    const int widths = rows->FileCountWidth() + rows->SizeWidth() + rows->DetailWidth();
    EXPECT_EQ(tree.header()->sectionSize(1), rows->FileCountWidth());
    EXPECT_EQ(tree.header()->sectionSize(2), rows->SizeWidth());
    EXPECT_GE(tree.header()->sectionSize(3), rows->DetailWidth()) << "the last section takes what is left";
    EXPECT_EQ(tree.header()->sectionSize(0), tree.width() - widths - tree.verticalScrollBar()->sizeHint().width());
}

TEST_F(CategoryTree, AnElidedNameBecomesTheTooltipOnceWithoutEndlessRepaints)
{
    const QString name = QStringLiteral("Caches <b>of</b> a program with a very long name — ünïcödé ") + QString(60, 'x');
    leafRow->setText(0, name);
    tree.SetAnalysed(true);
    Paint();
    EXPECT_EQ(leafRow->toolTip(0), AsRichText(name));

    QSignalSpy changes(tree.model(), &QAbstractItemModel::dataChanged);
    for (int i = 0; i < 5; ++i) {
        Paint();
        QApplication::processEvents();
    }
    EXPECT_EQ(changes.count(), 0) << "painting again changes nothing, so it never asks to paint again";
}

class Sleeper {
public:
    int Sleep()
    {
        QThread::msleep(300);
        return 7;
    }
};

TEST_F(CategoryTree, TheBusyAnimationTurnsExactlyWhileAWorkerRuns)
{
    CCleanUpItemDelegate* rows = tree.RowDelegate();
    EXPECT_FALSE(rows->IsAnimating());
    Sleeper sleeper;
    int framesSeen = 0;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] { framesSeen = qMax(framesSeen, rows->AnimationFrame()); });
    probe.start(20);
    EXPECT_EQ(AsyncExecMember(rows, &sleeper, &Sleeper::Sleep), 7);
    EXPECT_GE(framesSeen, 1) << "the frame advanced every 80 ms while the worker slept";
    EXPECT_FALSE(rows->IsAnimating());
    EXPECT_EQ(rows->AnimationFrame(), 0);
}

TEST(CategoryRowWidths, ComeFromUIConfigAddIniWhenGiven)
{
    testing_support::TempMachine machine;
    const std::string folder = machine.UseProgramFolder();
    std::ofstream(folder + "/UIConfigAdd.ini") << "[Cleanup]\ncolFileCntW=90\ncolDetailW=110\n";
    CCleanUpItemDelegate rows;
    EXPECT_EQ(rows.FileCountWidth(), 90);
    EXPECT_EQ(rows.SizeWidth(), 70) << "a missing key keeps 70 px";
    EXPECT_EQ(rows.DetailWidth(), 110);
}

} // namespace
