// The tool frames get the repair pages for page types 3, 4 and 5, and a device change reaches the
// drive boxes the way the frame asks for it (by the refill's name).
#include "DelProtectWidget.h"
#include "DisableUpdateWidget.h"
#include "FixUSBWidget.h"

#include "RepairPageSupport.h"

#include "FixPageId.h"
#include "ToolPages.h"

#include <QComboBox>
#include <QMetaObject>

#include <memory>

namespace {

using repair_test::RepairPageTest;

TEST_F(RepairPageTest, ToolFramesGetTheRepairPagesAndTheirDriveBoxesRefill)
{
    QWidget frame;
    std::unique_ptr<QWidget> writeProtection(CreateToolPage(PAGE_WRITE_PROTECTION, &frame));
    std::unique_ptr<QWidget> windowsUpdate(CreateToolPage(PAGE_WINDOWS_UPDATE, &frame));
    std::unique_ptr<QWidget> fileShowing(CreateToolPage(PAGE_FILE_SHOWING, &frame));
    EXPECT_NE(qobject_cast<CDelProtectWidget*>(writeProtection.get()), nullptr);
    EXPECT_NE(qobject_cast<CDisableUpdateWidget*>(windowsUpdate.get()), nullptr);
    ASSERT_NE(qobject_cast<CFixUSBWidget*>(fileShowing.get()), nullptr);
    EXPECT_EQ(writeProtection->parentWidget(), &frame);

    WaitForDriveBox(fileShowing.get());
    auto* combo = fileShowing->findChild<QComboBox*>();
    ASSERT_EQ(combo->count(), 2);
    EXPECT_TRUE(QMetaObject::invokeMethod(fileShowing.get(), "UpdateCombox"));
    EXPECT_EQ(combo->count(), 2) << "refilled, not added to";
    EXPECT_TRUE(QMetaObject::invokeMethod(writeProtection.get(), "UpdateCombox"));
}

} // namespace
