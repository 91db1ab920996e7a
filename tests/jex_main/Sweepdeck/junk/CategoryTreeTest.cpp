#include "FakeCatagory.h"
#include "JunkTestSupport.h"
#include "junk/AsyncExecMember.h"
#include "junk/BindData.h"
#include "junk/CleanUpItemDelegate.h"
#include "junk/CleanupTreeList.h"
#include "junk/RichText.h"

#include "platform/Machine.h"
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

TEST_F(CategoryTree, DetailsOnlyForFullyCheckedRowsAfterAnAnalysis)
{
    EXPECT_FALSE(Hit(leafRow, 3).isValid()) << "no column texts before an analysis";
    tree.SetAnalysed(true);
    Paint();
    EXPECT_TRUE(Hit(leafRow, 3).isValid());
    EXPECT_FALSE(Hit(partRow, 3).isValid()) << "a partly checked row shows no count, size or link";

    leaf->count = 0;
    leafRow->setData(3, kHitRectRole, QRect());
    Paint();
    EXPECT_FALSE(Hit(leafRow, 3).isValid()) << "nothing found: no details";
    int details = 0;
    QObject::connect(&tree, &CCleanupTreeList::detail, [&] { ++details; });
    Click(tree.visualItemRect(leafRow).adjusted(0, 0, -20, 0).topRight() + QPoint(0, 10));
    EXPECT_EQ(details, 0);
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
