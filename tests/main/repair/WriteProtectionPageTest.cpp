// The Write Protection page on a machine with a fixed disk and a USB stick: only the stick is
// offered, the write test leaves the stick's files alone, and setting then clearing the protection
// changes the disk's read-only attribute; a failing diskpart is reported as a failure.
#include "DelProtectWidget.h"

#include "RepairPageSupport.h"

#include "MessageBox.h"

#include "platform/Machine.h"
#include "platform/Windows.h"
#include "support/WaitUntil.h"

#include <QComboBox>

#include <filesystem>
#include <fstream>
#include <thread>

namespace {

using repair_test::RepairPageTest;

class WriteProtectionPageTest : public RepairPageTest {
protected:
    static bool StickReadOnly()
    {
        platform::ReloadMachine();
        return platform::Machine().Disk(1)->readOnly;
    }

    // Presses Enable on the page; the stick is protected and the one result box says so.
    void EnableProtection(CDelProtectWidget& page)
    {
        WaitForDriveBox(&page);
        PressActionButton(&page);
        EXPECT_TRUE(StickReadOnly());
        ASSERT_EQ(ResultBoxes().size(), 1u);
        EXPECT_TRUE(BoxText(ResultBoxes()[0]).contains(QStringLiteral("Operation Completed")));
    }

    static std::vector<std::string> StickFiles()
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(platform::HostPath(L"E:\\")))
            names.push_back(entry.path().filename().string());
        return names;
    }
};

TEST_F(WriteProtectionPageTest, OffersOnlyTheStickAndItsWriteTestLeavesItsFilesAlone)
{
    std::ofstream(platform::HostPath(L"E:\\tmp.txt")) << "the user's own notes";
    CDelProtectWidget page(nullptr);
    WaitForDriveBox(&page);
    auto* combo = page.findChild<QComboBox*>();
    ASSERT_EQ(combo->count(), 1);
    EXPECT_EQ(combo->itemText(0), QStringLiteral("STICK (E:)"));
    EXPECT_EQ(ActionButtonText(&page), QStringLiteral("Enable")) << "a writable stick offers to protect it";
    EXPECT_EQ(testing_support::ReadFile(platform::HostPath(L"E:\\tmp.txt")), "the user's own notes");
    EXPECT_EQ(StickFiles(), std::vector<std::string> {"tmp.txt"}) << "no probe file stays behind";
}

TEST_F(WriteProtectionPageTest, SettingThenClearingChangesTheDiskAttribute)
{
    CDelProtectWidget page(nullptr);
    EnableProtection(page);
    EXPECT_TRUE(BoxText(ResultBoxes()[0]).contains(QStringLiteral("Please click the button below to view.")));
    EXPECT_EQ(ActionButtonText(&page), QStringLiteral("Disable"));
    EXPECT_FALSE(CDelProtectWidget::IsDriveWritable(QStringLiteral("E:")));
    EXPECT_FALSE(std::filesystem::exists(platform::HostPath(L"C:\\work\\change_attrib.txt")));

    PressActionButton(&page);
    EXPECT_FALSE(StickReadOnly());
    ASSERT_EQ(ResultBoxes().size(), 2u);
    EXPECT_TRUE(BoxText(ResultBoxes()[1]).contains(QStringLiteral("Operation Completed")));
    EXPECT_EQ(ActionButtonText(&page), QStringLiteral("Enable"));

    // The result box's button shows the drive in the file manager.
    const std::string opened = machine.Root() + "/opened.txt";
    const std::string opener = machine.WriteFile("opener.sh", "#!/bin/sh\necho \"$1\" > " + opened + "\n");
    std::filesystem::permissions(opener, std::filesystem::perms::owner_all);
    setenv("QUARNEL_OPEN_COMMAND", opener.c_str(), 1);
    emit ResultBoxes()[1]->sigClicked();
    testing_support::WaitUntil([&] { return !testing_support::ReadFile(opened).empty(); });
    unsetenv("QUARNEL_OPEN_COMMAND");
    EXPECT_EQ(testing_support::ReadFile(opened), platform::HostPath(L"E:\\") + "\n");

    EXPECT_EQ(Attributes("WriteProtection", "Result_Enable", 1), QStringList {QStringLiteral("{\"Enableresult\": \"Success\"}")});
    EXPECT_EQ(Attributes("WriteProtection", "Result_Disable", 1), QStringList {QStringLiteral("{\"Disableresult\": \"Success\"}")});
}

// As the program starts on a user's PC: its folder lies apart from the machine's drives, it is the
// current folder, and nothing but the running program knows where it is. diskpart still finds the
// script there.
TEST_F(WriteProtectionPageTest, DiskpartFindsItsScriptInAProgramFolderOutsideTheMachine)
{
    std::string folder = std::filesystem::path(machine.Root()).parent_path().string() + "/quarnel-program-XXXXXX";
    ASSERT_NE(mkdtemp(folder.data()), nullptr);
    unsetenv("QUARNEL_PROGRAM_FOLDER");
    platform::SetProgramFolder(folder);
    ASSERT_TRUE(SetCurrentDirectoryW(platform::WindowsPath(folder).c_str()));
    CDelProtectWidget page(nullptr);
    EnableProtection(page);
    EXPECT_TRUE(std::filesystem::is_empty(folder)) << "the script is gone again";
    std::filesystem::remove_all(folder);
}

TEST_F(WriteProtectionPageTest, AProtectedStickOffersDisableAndAFailingDiskpartIsNoSuccess)
{
    machine.WriteMachineIni(testing_support::ReadFile(platform::MachineIniPath()) + "ReadOnly=1\n");
    ASSERT_TRUE(StickReadOnly());
    FailProgram(L"diskpart", L"exit");
    CDelProtectWidget page(nullptr);
    WaitForDriveBox(&page);
    EXPECT_EQ(ActionButtonText(&page), QStringLiteral("Disable"));

    PressActionButton(&page);
    EXPECT_TRUE(StickReadOnly());
    ASSERT_EQ(ResultBoxes().size(), 1u);
    EXPECT_TRUE(BoxText(ResultBoxes()[0]).contains(QStringLiteral("Operation Failed")));
    EXPECT_FALSE(BoxText(ResultBoxes()[0]).contains(QStringLiteral("Operation Completed")));
    EXPECT_EQ(ActionButtonText(&page), QStringLiteral("Disable")) << "the label follows the disk, not the press";
    EXPECT_EQ(Attributes("WriteProtection", "Result_Disable", 1), QStringList {QStringLiteral("{\"Disableresult\": \"Fail\"}")});
}

} // namespace
