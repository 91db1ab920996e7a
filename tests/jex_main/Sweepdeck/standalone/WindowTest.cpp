// The stand-alone window with its pages, the home page and the settings dialog.

#include "StandaloneFixture.h"

#include "diskopt/DiskOptPage.h"
#include "export/IExportWidget.h"
#include "kit/CheckBox.h"
#include "kit/HomeLargeBtn.h"
#include "kit/IndexBtn.h"
#include "kit/PageTitle.h"
#include "kit/ResPath.h"
#include "kit/ResPicture.h"
#include "services/UIPublic.h"
#include "standalone/CopyChannel.h"
#include "standalone/HomePage.h"
#include "standalone/Host.h"
#include "standalone/MainWindow.h"
#include "standalone/SettingsDlg.h"
#include "wizard/PageWizard.h"

#include "platform/win/Sync.h"
#include "support/QuarnelLog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <thread>

namespace standalone_test {
namespace {

class WindowTest : public StandaloneTest {
protected:
    void SetUp() override
    {
        MakeMachine(50);
        LoadEngines();
    }
};

int CurrentPageId(CMainWindow& window)
{
    auto* page = qobject_cast<CPage*>(window.Wizard()->GetPage(-1));
    return page ? page->GetPageId() : -1;
}

TEST_F(WindowTest, HoldsTheFivePagesAndShowsOnlyValidPageNumbers)
{
    CMainWindow window;
    EXPECT_EQ(window.windowTitle(), QStringLiteral("System Cleanup"));
    for (int id = 1; id <= 5; ++id)
        EXPECT_NE(window.Wizard()->GetPage(id), nullptr) << id;
    EXPECT_EQ(CurrentPageId(window), 1);
    window.ShowPage(3);
    EXPECT_EQ(CurrentPageId(window), 3);
    window.ShowPage(9);
    EXPECT_EQ(CurrentPageId(window), 3);
    window.ShowAll();
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(qobject_cast<CPage*>(window.Wizard()->GetPage(5))->IsShown());
    auto* disk = qobject_cast<CDiskOptPage*>(window.Wizard()->GetPage(5));
    ASSERT_NE(disk, nullptr);
    EXPECT_EQ(disk->Data()->rowCount(), 2) << "the volume lister reached the disk page";
}

bool NamesAnUnreadablePicture(const std::wstring& message)
{
    return message.find(L"picture cannot be loaded") != std::wstring::npos;
}

TEST_F(WindowTest, EveryPageOfTheWindowAndOfBothExportsFindsItsPictures)
{
    // The log names a picture that cannot be read: the check below would see one.
    EXPECT_TRUE(LoadPicture(GetResPath(QStringLiteral("no_such_picture.png"), QStringLiteral("res"))).isNull());
    const auto unreadable = [] {
        std::vector<std::wstring> found;
        for (const std::wstring& message : testing_support::QuarnelLogMessages())
            if (NamesAnUnreadablePicture(message))
                found.push_back(message);
        return found;
    };
    ASSERT_EQ(unreadable().size(), 1u);

    CMainWindow window;
    window.ShowAll();
    for (int id = 1; id <= 5; ++id) {
        window.ShowPage(id);
        window.Wizard()->GetPage(id)->grab();
    }
    auto* home = window.Wizard()->GetPage(1);
    ASSERT_NE(home->findChild<CPageTitle*>(), nullptr);
    EXPECT_EQ(home->findChild<CPageTitle*>()->height(), 50);
    CSettingsDlg settings(QStringLiteral("Settings"), &window);
    settings.grab();

    QWidget host;
    host.resize(800, 520);
    for (IExportWidget* exported : {BuildSysCleanExportWgt(&host), BuildLargeFileExportWgt(&host)}) {
        ASSERT_NE(exported, nullptr);
        for (int id : {2, 3, 4})
            if (QWidget* page = exported->GetPage(id))
                page->grab();
    }
    for (const std::wstring& line : unreadable())
        if (line.find(L"no_such_picture.png") == std::wstring::npos)
            ADD_FAILURE() << QString::fromStdWString(line).toStdString();
}

TEST_F(WindowTest, ClosingHidesAfterATrayOpenAndEndsAfterANormalStart)
{
    CMainWindow window;
    window.SetApplication(qobject_cast<QApplication*>(QCoreApplication::instance()));
    window.onIconTrayActivate(0);
    EXPECT_TRUE(window.HidesOnClose());
    EXPECT_TRUE(window.isVisible());
    window.close();
    EXPECT_FALSE(window.isVisible());

    CMainWindow normal;
    normal.SetApplication(qobject_cast<QApplication*>(QCoreApplication::instance()));
    normal.ShowAll();
    QTimer::singleShot(0, &normal, &QWidget::close);
    QTimer::singleShot(3000, [] { QCoreApplication::exit(7); });
    EXPECT_EQ(QCoreApplication::exec(), 0);
}

TEST_F(WindowTest, AStaleQuitNeverEndsANewRunButAQuitFromAnUninstallerDoes)
{
    // A quit set by an earlier run whose event is still held somewhere.
    HANDLE leftover = HostCreateNamedObject(L"Global\\__orvane_jex_quit__", true);
    SetEvent(leftover);
    HostCreateQuitEvent(true);
    CMainWindow window;
    window.SetApplication(qobject_cast<QApplication*>(QCoreApplication::instance()));
    QTimer::singleShot(400, [] { QCoreApplication::exit(7); });
    EXPECT_EQ(QCoreApplication::exec(), 7);

    EXPECT_TRUE(HostSignalQuit());
    QTimer::singleShot(3000, [] { QCoreApplication::exit(7); });
    EXPECT_EQ(QCoreApplication::exec(), 0);
    CloseHandle(leftover);
}

TEST_F(WindowTest, AnotherCopysRequestsReachTheWindowThroughTheChannel)
{
    CMainWindow window;
    std::vector<int> restarts;
    window.Tray().SetRestarter([&](int page) { restarts.push_back(page); });
    ASSERT_TRUE(window.ListenForCopies());

    // The other copy waits for answers; it runs on a thread of its own while this one serves.
    const auto ask = [&](CopyRequest request, bool& visible, quint32& processId) {
        bool sent = false;
        std::atomic<bool> finished{false};
        std::thread copy([&] {
            CCopyChannelClient client;
            sent = client.Connect() && client.Send(request);
            visible = client.IsVisible();
            processId = client.ProcessId();
            finished = true;
        });
        WaitUntil([&] { return finished.load(); });
        copy.join();
        return sent;
    };
    bool visible = true;
    quint32 processId = 0;
    ASSERT_TRUE(ask(CopyShow, visible, processId));
    EXPECT_FALSE(visible);
    EXPECT_EQ(processId, GetCurrentProcessId());
    ASSERT_TRUE(WaitUntil([&] { return window.isVisible(); }));

    ASSERT_TRUE(ask(CopyOpen, visible, processId));
    EXPECT_TRUE(visible);
    ASSERT_TRUE(WaitUntil([&] { return !restarts.empty(); }));
    EXPECT_EQ(restarts, std::vector<int>{1});
}

TEST_F(WindowTest, TheHomePageDescribesTheToolUnderTheMouseAndNavigatesToIt)
{
    CHomePage page;
    page.resize(690, 472);
    page.show();
    QEvent enter(QEvent::Enter);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(page.ToolButton(0), &enter);
    EXPECT_EQ(page.DescriptionLabel()->text(),
              QStringLiteral("Delete junk files to save disk space and improve your computer performance."));
    QApplication::sendEvent(page.ToolButton(0), &leave);
    QApplication::sendEvent(page.ToolButton(1), &enter);
    EXPECT_EQ(page.DescriptionLabel()->text(),
              QStringLiteral("Locate large files on your hard disk and delete/move them."));
    QApplication::sendEvent(page.ToolButton(1), &leave);
    EXPECT_TRUE(page.DescriptionLabel()->text().isEmpty());

    QSignalSpy navigate(&page, &CPage::navigate);
    for (int i = 0; i < 3; ++i)
        QTest::mouseClick(page.ToolButton(i), Qt::LeftButton);
    ASSERT_EQ(navigate.count(), 3);
    EXPECT_EQ(navigate[0][0].toInt(), 2);
    EXPECT_EQ(navigate[1][0].toInt(), 3);
    EXPECT_EQ(navigate[2][0].toInt(), 5);
}

// Runs the dialog, lets act change it while it is open, and returns its result.
int RunSettings(const std::function<void(CSettingsDlg&)>& act)
{
    CSettingsDlg dialog(QStringLiteral("Settings"), nullptr);
    QTimer::singleShot(0, [&] { act(dialog); });
    return dialog.Exec();
}

CIndexBtn* Button(CSettingsDlg& dialog, int id)
{
    for (CIndexBtn* button : dialog.findChildren<CIndexBtn*>())
        if (button->GetId() == id)
            return button;
    return nullptr;
}

TEST_F(WindowTest, TheSettingsDialogSwitchesTheAutostartEntryOnlyOnSave)
{
    ASSERT_FALSE(CUIPublic::IsAutoRun());
    EXPECT_EQ(RunSettings([](CSettingsDlg& dialog) {
                  EXPECT_EQ(dialog.CheckBox()->checkState(), Qt::Unchecked);
                  dialog.CheckBox()->setChecked(true);
                  QTest::mouseClick(Button(dialog, CSettingsDlg::Cancelled), Qt::LeftButton);
              }),
              CSettingsDlg::Cancelled);
    EXPECT_FALSE(CUIPublic::IsAutoRun());

    EXPECT_EQ(RunSettings([](CSettingsDlg& dialog) {
                  dialog.CheckBox()->setChecked(true);
                  QTest::mouseClick(Button(dialog, CSettingsDlg::Saved), Qt::LeftButton);
              }),
              CSettingsDlg::Saved);
    EXPECT_TRUE(CUIPublic::IsAutoRun());

    // Escape and the close box are Cancel, whatever the box says.
    EXPECT_EQ(RunSettings([](CSettingsDlg& dialog) {
                  EXPECT_EQ(dialog.CheckBox()->checkState(), Qt::Checked);
                  dialog.CheckBox()->setChecked(false);
                  QTest::keyClick(&dialog, Qt::Key_Escape);
              }),
              CSettingsDlg::Cancelled);
    EXPECT_EQ(RunSettings([](CSettingsDlg& dialog) {
                  dialog.CheckBox()->setChecked(false);
                  dialog.close();
              }),
              CSettingsDlg::Cancelled);
    EXPECT_TRUE(CUIPublic::IsAutoRun());

    EXPECT_EQ(RunSettings([](CSettingsDlg& dialog) {
                  dialog.CheckBox()->setChecked(false);
                  QTest::mouseClick(Button(dialog, CSettingsDlg::Saved), Qt::LeftButton);
              }),
              CSettingsDlg::Saved);
    EXPECT_FALSE(CUIPublic::IsAutoRun());
}

} // namespace
} // namespace standalone_test
