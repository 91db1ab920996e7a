#include "FakeCatagory.h"
#include "JunkPageFixture.h"
#include "JunkTestSupport.h"
#include "junk/CleanupTreeList.h"
#include "junk/DetailModel.h"
#include "junk/DetailPage.h"
#include "junk/DetailTree.h"
#include "services/UIPublic.h"
#include "support/WaitUntil.h"

#include <QApplication>
#include <QHeaderView>
#include <QTimer>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>

namespace junk_test {
namespace {

// Opens the details of the row as its "Details" link does and hands the dialog to inspect once
// its gathering has ended; the dialog is then closed through its title bar.
void InspectDetails(CSelectScanPage& page, QTreeWidgetItem* row, const std::function<void(CDetailPage&)>& inspect)
{
    bool inspected = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<CDetailPage*>(QApplication::activeModalWidget());
        if (!dialog || inspected || dialog->IsGathering() || dialog->RowCount() == 0)
            return;
        inspected = true;
        inspect(*dialog);
        dialog->done(0);
    });
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] {
        if (auto* dialog = qobject_cast<CDetailPage*>(QApplication::activeModalWidget()))
            dialog->done(0);
    });
    poll.start(20);
    watchdog.start(8000);
    emit page.Tree()->detail(row);
    EXPECT_TRUE(inspected);
}

std::vector<std::pair<QString, QString>> Listed(CDetailPage& dialog)
{
    std::vector<std::pair<QString, QString>> rows;
    QAbstractItemModel* model = dialog.Tree()->model();
    for (int i = 0; i < model->rowCount(); ++i)
        rows.emplace_back(model->index(i, 0).data().toString(), model->index(i, 1).data().toString());
    std::sort(rows.begin(), rows.end());
    return rows;
}

TEST_F(JunkPage, DetailsListEveryFileOfALeafOrOfAProgramsCategories)
{
    page->StartScan();
    InspectDetails(*page, Row("Prefetch files"), [](CDetailPage& dialog) {
        const auto rows = Listed(dialog);
        ASSERT_EQ(rows.size(), 2u);
        EXPECT_EQ(rows[0].first, "C:\\Windows\\Prefetch\\APP-1.pf");
        EXPECT_EQ(rows[0].second, CUIPublic::FormatSize(100));
        EXPECT_EQ(rows[1].first, "C:\\Windows\\Prefetch\\APP-2.pf");
        QAbstractItemModel* model = dialog.Tree()->model();
        EXPECT_EQ(model->headerData(0, Qt::Horizontal).toString(), "Location");
        EXPECT_EQ(model->headerData(1, Qt::Horizontal).toString(), "Size");
        EXPECT_TRUE(model->index(0, 0).data(CDetailModel::ClickableRole).toBool());
        EXPECT_FALSE(model->index(0, 1).data(CDetailModel::ClickableRole).toBool());
        EXPECT_FALSE(model->index(2, 0).isValid());
        EXPECT_FALSE(model->setData(model->index(0, 0), "x"));
    });

    // Other applications show their programs; a program's details walk its categories.
    InspectDetails(*page, Row("npm"), [](CDetailPage& dialog) {
        const auto rows = Listed(dialog);
        ASSERT_EQ(rows.size(), 1u);
        EXPECT_EQ(rows[0].first, "C:\\Users\\Owner\\AppData\\Local\\npm-cache\\_cacache\\index");
    });
}

TEST(DetailPage, ACategoryWithoutFilesShowsAnEmptyListWithItsHeaders)
{
    UseBuildProgramFolder();
    CFakeCatagory empty(L"Empty", 0);
    CDetailPage dialog(&empty, true, nullptr);
    dialog.show();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !dialog.IsGathering(); }, testing_support::kPatience.count()));
    QTest::qWait(150);
    EXPECT_EQ(dialog.Tree()->model()->rowCount(), 0);
    EXPECT_EQ(dialog.Tree()->header()->height(), 32);
    EXPECT_EQ(dialog.Tree()->model()->headerData(1, Qt::Horizontal).toString(), "Size");
}

} // namespace
} // namespace junk_test
