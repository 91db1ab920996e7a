#include "FixFrameBase.h"
#include "FixHomePage.h"
#include "HomeFrame.h"

#include "GarbageScanMgr.h"
#include "GarbageCleanWnd.h"
#include "ShutDownFilter.h"

#include "Paneforge/Util.h"
#include "ProgramLog.h"

#include "platform/Machine.h"
#include "platform/Text.h"
#include "platform/Windows.h"
#include "support/FreshProcess.h"
#include "support/TempMachine.h"
#include "support/UsageEvents.h"
#include "support/WaitUntil.h"

#include "Paneforge/BPMenu.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace fs = std::filesystem;

namespace {

// The frame's native event handling, as Windows' messages reach it.
class CProbeFrame : public CFixFrameBase {
public:
    using CFixFrameBase::CFixFrameBase;
    using CFixFrameBase::nativeEvent;
};

// Accepts every dialog that is run modally as soon as it is shown, as a user pressing its button.
class CModalAccepter : public QObject {
public:
    CModalAccepter() { QCoreApplication::instance()->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show)
            if (auto* dialog = qobject_cast<QDialog*>(watched); dialog && dialog->isModal())
                QMetaObject::invokeMethod(dialog, &QDialog::accept, Qt::QueuedConnection);
        return false;
    }
};

QAction* TrayEntry(CFixFrameBase& home, const QString& text)
{
    for (QAction* action : home.GetTrayIcon()->contextMenu()->actions())
        if (action->text() == text)
            return action;
    return nullptr;
}

QAction* MenuEntry(CFixFrameBase& home, const QString& key)
{
    for (QAction* action : home.GetTitleBar()->findChild<CBPMenu*>()->actions())
        if (action->data().toString() == key)
            return action;
    return nullptr;
}

class FrameTest : public testing::Test {
protected:
    void SetUp() override
    {
        machine_.WriteMachineIni("[Machine]\nAdministrator=1\n");
        folder_ = machine_.UseProgramFolder();
    }

    // A stand-in updater that records its arguments in renewer-calls.
    void InstallRenewer()
    {
        machine_.WriteFile("program/Renewer", "#!/bin/sh\necho \"call $*\" >> '" + folder_ + "/renewer-calls'\n");
        fs::permissions(folder_ + "/Renewer", fs::perms::owner_all);
    }

    std::string RenewerCalls(int expected)
    {
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                const std::string calls = testing_support::ReadFile(folder_ + "/renewer-calls");
                return std::count(calls.begin(), calls.end(), '\n') >= expected;
            },
            testing_support::kPatience.count()))
            << "the updater was not started " << expected << " times";
        return testing_support::ReadFile(folder_ + "/renewer-calls");
    }

    testing_support::TempMachine machine_;
    std::string folder_;
};

TEST_F(FrameTest, ToolFramesCarryTheirTitle)
{
    CFixFrameBase protection(3, nullptr);
    EXPECT_EQ(3, protection.GetPageType());
    EXPECT_TRUE(protection.GetTitleBar()->findChild<QPushButton*>(QStringLiteral("Quarnel_BtnMenu"))->isHidden());
    bool titled = false;
    for (QLabel* label : protection.GetTitleBar()->findChildren<QLabel*>())
        titled = titled || label->text().contains(QStringLiteral("Write Protection"));
    EXPECT_TRUE(titled);

    CFixFrameBase nothing(6, nullptr);
    EXPECT_EQ(nullptr, nothing.GetPage());
    EXPECT_EQ(nullptr, nothing.GetScanMgr());
}

TEST_F(FrameTest, KeysNeverCloseAFrame)
{
    CFixFrameBase frame(4, nullptr);
    frame.show();
    QTest::keyClick(&frame, Qt::Key_Escape);
    QTest::keyClick(&frame, Qt::Key_Return);
    EXPECT_TRUE(frame.isVisible());
}

TEST_F(FrameTest, HomeCloseHidesToTheTrayAndTheTrayShowsItAgain)
{
    CFixFrameBase home(2, nullptr);
    home.SetTrayProbe([] { return true; });
    EXPECT_EQ(&home, GetHomeFrame());
    ASSERT_NE(nullptr, qobject_cast<CFixHomePage*>(home.GetPage()));
    ASSERT_NE(nullptr, home.GetScanMgr());
    home.ShowMain(false);
    EXPECT_TRUE(home.isVisible());

    home.GetTitleBar()->findChild<QPushButton*>(QStringLiteral("Quarnel_CloseBtn"))->click();
    EXPECT_FALSE(home.isVisible());
    ASSERT_NE(nullptr, home.GetTrayIcon());
    QSystemTrayIcon* tray = home.GetTrayIcon();
    ASSERT_NE(nullptr, tray->contextMenu());
    QStringList entries;
    for (QAction* action : tray->contextMenu()->actions())
        entries << action->text();
    EXPECT_EQ((QStringList {QStringLiteral("Show"), QString(), QStringLiteral("Exit")}), entries);

    emit tray->activated(QSystemTrayIcon::Context);
    emit tray->activated(QSystemTrayIcon::MiddleClick);
    EXPECT_FALSE(home.isVisible());
    emit tray->activated(QSystemTrayIcon::Trigger);
    EXPECT_TRUE(home.isVisible());
    home.hide();
    emit tray->activated(QSystemTrayIcon::DoubleClick);
    EXPECT_TRUE(home.isVisible());

    home.slotTitleBtnClicked(16);
    EXPECT_EQ(Qt::WindowMinimized, home.windowState());
}

TEST_F(FrameTest, StartAtLogInStaysInTheTray)
{
    CFixFrameBase home(2, nullptr);
    home.SetTrayProbe([] { return true; });
    home.ShowMain(true);
    EXPECT_FALSE(home.isVisible());
    EXPECT_NE(nullptr, home.GetTrayIcon());
}

// Where the desktop has no tray, a hidden window could be reached by nothing: the close button,
// the desktop's close and a start at log-in leave it minimised instead.
TEST_F(FrameTest, WithoutATrayTheHomeWindowIsMinimisedInsteadOfHidden)
{
    const auto reachable = [](CFixFrameBase& home) {
        return home.isVisible() && home.windowState() == Qt::WindowMinimized && !home.GetTrayIcon();
    };
    CFixFrameBase home(2, nullptr);
    home.SetTrayProbe([] { return false; });
    home.ShowMain(true);
    EXPECT_TRUE(reachable(home)) << "a start at log-in";

    // Brought back, the window stands for the tray icon's click: the monitor's pop-ups give way.
    home.GetScanMgr()->JunkWnd()->ShowWnd();
    home.showNormal();
    EXPECT_FALSE(home.GetScanMgr()->JunkWnd()->isVisible());
    home.GetTitleBar()->findChild<QPushButton*>(QStringLiteral("Quarnel_CloseBtn"))->click();
    EXPECT_TRUE(reachable(home)) << "the close button";

    home.showNormal();
    home.close();
    EXPECT_TRUE(reachable(home)) << "the desktop's close";

    // A tool frame closes as a dialog does.
    CFixFrameBase tool(4, nullptr);
    tool.show();
    tool.close();
    EXPECT_FALSE(tool.isVisible());
}

// The notice is once a run: the run is this case's own.
TEST_F(FrameTest, PendingUpdateIsAnnouncedAtTheFirstShowOnly)
{
    RUN_IN_FRESH_PROCESS({
        Util::setDravielsCfgInfo(QStringLiteral("localcfg.ini"), QStringLiteral("cache"), QStringLiteral("update"), 2);
        CFixFrameBase home(2, nullptr);
        QSignalSpy notice(&home, &CFixFrameBase::emitNotifyUpdate);
        home.ShowMain(false);
        home.slotShowAction();
        home.slotShowAction();
        ASSERT_EQ(1, notice.count());
        EXPECT_FALSE(notice.at(0).at(0).toBool());
    });
}

TEST_F(FrameTest, ExitStopsTheRun)
{
    CFixFrameBase home(2, nullptr);
    const auto stop = home.StopFlag();
    EXPECT_FALSE(stop->load());
    home.slotExitAction();
    EXPECT_TRUE(stop->load());
    const auto kept = CFixFrameBase(4, nullptr).StopFlag();
    EXPECT_TRUE(kept->load()); // the frame is gone; its flag stays readable and set
}

// Each entry of the tray menu and of the main menu reports itself once and nothing else. The start's
// own report is left out: it comes once a run, whichever frame is shown first.
TEST_F(FrameTest, TrayAndMainMenuEntriesAreReported)
{
    testing_support::InstallFromBuild(testing_support::BuildProgramFolder() + "/Preludex");
    CModalAccepter accepter;
    struct Case {
        const char* account; // the account logged in when the frame is built
        std::function<void(CFixFrameBase&)> choose;
        QStringList reported;
    };
    const auto hiddenThen = [](const char* entry) {
        return [entry](CFixFrameBase& home) {
            home.ShowMain(true);
            TrayEntry(home, QLatin1String(entry))->trigger();
        };
    };
    const auto menu = [](const char* entry) {
        return [entry](CFixFrameBase& home) { home.GetTitleBar()->menuClickSlot(MenuEntry(home, QLatin1String(entry))); };
    };
    const Case cases[] = {
        {"", hiddenThen("Show"), {"Tray/Click_Show"}},
        {"", hiddenThen("Exit"), {"Tray/Click_Exit"}},
        {"", menu("Settings"), {"Menu/Click_Settings"}},
        {"", menu("About"), {"Menu/Click_About"}},
        {"", menu("Log in"), {"Menu/Click_Login"}},
        {"someone@example.com", menu("Log in"), {"Menu/Click_Logout"}},
    };
    size_t recorded = 0;
    const auto reportedSince = [&recorded] {
        const std::vector<QJsonObject> events = testing_support::RecordedUsageEvents();
        QStringList reported;
        for (size_t i = recorded; i < events.size(); ++i)
            if (events[i].value("Activity").toString() != QLatin1String("Info_Start"))
                reported << events[i].value("Window").toString() + "/" + events[i].value("Activity").toString();
        return reported;
    };
    for (const Case& test : cases) {
        Util::setDravielsCfgInfo(QStringLiteral("localcfg.ini"), QStringLiteral("cache"), QStringLiteral("account"),
                                 QString::fromLatin1(test.account));
        {
            CFixFrameBase home(2, nullptr);
            home.SetTrayProbe([] { return true; });
            test.choose(home);
        }
        QDeadlineTimer deadline(60000);
        while (reportedSince().size() < test.reported.size() && !deadline.hasExpired())
            QThread::msleep(50);
        const size_t all = testing_support::UsageEvents(testing_support::RecordedUsageEvents().size()).size();
        EXPECT_EQ(test.reported, reportedSince());
        recorded = all;
    }
}

// The updater is asked once a run: the run is this case's own.
TEST_F(FrameTest, WithoutRightsTheUpdaterIsAskedOnceAndTheWindowStaysHidden)
{
    RUN_IN_FRESH_PROCESS({
        machine_.WriteMachineIni("[Machine]\nAdministrator=0\n");
        InstallRenewer();
        CFixFrameBase home(2, nullptr);
        home.SetTrayProbe([] { return true; });
        home.ShowMain(true);
        home.slotShowAction();
        home.slotShowAction();
        home.ScanGarbage();
        home.CleanGarbage();
        EXPECT_FALSE(home.isVisible());
        const std::string calls = RenewerCalls(2);
        EXPECT_EQ(2, std::count(calls.begin(), calls.end(), '\n'));
        EXPECT_NE(std::string::npos, calls.find("call \n"));
        EXPECT_NE(std::string::npos, calls.find("call autoscan\n"));
    });
}

// Without a tray the minimised window stands for the tray icon: bringing it back asks the updater
// for an elevated copy, and the window without rights stays out of sight.
TEST_F(FrameTest, WithoutRightsOrTrayBringingTheWindowBackAsksTheUpdater)
{
    RUN_IN_FRESH_PROCESS({
        machine_.WriteMachineIni("[Machine]\nAdministrator=0\n");
        InstallRenewer();
        CFixFrameBase home(2, nullptr);
        home.SetTrayProbe([] { return false; });
        home.ShowMain(true);
        EXPECT_EQ(Qt::WindowMinimized, home.windowState());
        home.showNormal();
        EXPECT_EQ(Qt::WindowMinimized, home.windowState());
        EXPECT_EQ("call \n", RenewerCalls(1));
    });
}

TEST_F(FrameTest, DevicesAndFullScreenApplicationsAreHeard)
{
    CProbeFrame home(2, nullptr);
    QSignalSpy drivers(&home, &CFixFrameBase::sigUpdateDrivers);
    MSG message {};
    message.message = WM_DEVICECHANGE;
    message.wParam = DBT_DEVICEARRIVAL;
    long result = 0;
    EXPECT_TRUE(home.nativeEvent("windows_generic_MSG", &message, &result));
    message.wParam = DBT_DEVICEREMOVECOMPLETE;
    EXPECT_TRUE(home.nativeEvent("windows_generic_MSG", &message, &result));
    EXPECT_EQ(2, drivers.count());
    const std::string log = ReadProgramLog();
    EXPECT_NE(std::string::npos, log.find("DBT_DEVICEARRIVAL"));
    EXPECT_EQ(log.find("DBT_DEVICEARRIVAL"), log.rfind("DBT_DEVICEARRIVAL"));

    message.message = 10086;
    message.wParam = ABN_FULLSCREENAPP;
    message.lParam = 1;
    EXPECT_TRUE(home.nativeEvent("windows_generic_MSG", &message, &result));
    message.message = 0x0400;
    EXPECT_FALSE(home.nativeEvent("windows_generic_MSG", &message, &result));
    message.message = WM_DEVICECHANGE;
    EXPECT_FALSE(home.nativeEvent("xcb_generic_event_t", &message, &result));

    CProbeFrame tool(3, nullptr);
    QSignalSpy toolDrivers(&tool, &CFixFrameBase::sigUpdateDrivers);
    EXPECT_FALSE(tool.nativeEvent("windows_generic_MSG", &message, &result));
    EXPECT_EQ(0, toolDrivers.count());
}

TEST_F(FrameTest, SessionEndIsMarkedAndAllowed)
{
    CShutDownFilter filter;
    MSG message {};
    message.message = WM_QUERYENDSESSION;
    long result = 0;
    // Without a main window the session still may end.
    EXPECT_TRUE(filter.nativeEventFilter("windows_generic_MSG", &message, &result));
    EXPECT_EQ(TRUE, result);
    EXPECT_FALSE(fs::exists(ShutdownMarker()));

    CFixFrameBase home(2, nullptr);
    result = 0;
    EXPECT_TRUE(filter.nativeEventFilter("windows_generic_MSG", &message, &result));
    EXPECT_EQ(TRUE, result);
    EXPECT_EQ("shutdown", testing_support::ReadFile(ShutdownMarker()));
    fs::remove(ShutdownMarker());

    message.message = WM_ENDSESSION;
    EXPECT_TRUE(filter.nativeEventFilter("windows_generic_MSG", &message, &result));
    EXPECT_EQ("shutdown", testing_support::ReadFile(ShutdownMarker()));

    message.message = 0x0010;
    EXPECT_FALSE(filter.nativeEventFilter("windows_generic_MSG", &message, &result));
    EXPECT_FALSE(filter.nativeEventFilter("windows_generic_MSG", nullptr, &result));
    message.message = WM_QUERYENDSESSION;
    EXPECT_FALSE(filter.nativeEventFilter("xcb_generic_event_t", &message, &result));
}

// The tray shows the program's own pictures: the icon file, each size it holds, and the menu's two
// pictures, which lie beside the program as the current folder names them.
TEST_F(FrameTest, TheTrayShowsTheProgramsPictures)
{
    fs::create_directories(folder_ + "/res");
    for (const char* picture : {"icon.ico", "tray_show.png", "tray_exit.png"})
        fs::copy_file(testing_support::BuildProgramFolder() + "/res/" + picture, folder_ + "/res/" + picture);
    ASSERT_TRUE(SetCurrentDirectoryW(platform::Machine().programFolder.c_str()));
    CFixFrameBase home(2, nullptr);
    home.SetTrayProbe([] { return true; });
    home.ShowMain(true);
    ASSERT_NE(nullptr, home.GetTrayIcon());
    EXPECT_EQ(QList<QSize> {QSize(48, 48)}, home.GetTrayIcon()->icon().availableSizes());
    for (const QAction* action : home.GetTrayIcon()->contextMenu()->actions())
        EXPECT_EQ(action->isSeparator(), action->icon().isNull()) << action->text().toStdString();
}

} // namespace
