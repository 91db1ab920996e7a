// The stand-alone window with its pages, the home page and the settings dialog.

#include "StandaloneFixture.h"

#include "diskopt/DiskOptPage.h"
#include "export/IExportWidget.h"
#include "kit/AppStyleSheet.h"
#include "kit/CheckBox.h"
#include "kit/HomeLargeBtn.h"
#include "kit/IndexBtn.h"
#include "kit/PageTitle.h"
#include "kit/ResPath.h"
#include "kit/ResPicture.h"
#include "services/UIPublic.h"
#include "standalone/HomePage.h"
#include "standalone/Host.h"
#include "standalone/MainWindow.h"
#include "standalone/SettingsDlg.h"
#include "standalone/TrayTipDlg.h"
#include "wizard/PageWizard.h"

#include "platform/ui/WindowRecords.h"
#include "platform/win/Sync.h"
#include "platform/win/WindowManager.h"
#include "support/ColourContrast.h"
#include "support/UsageEvents.h"
#include "support/QuarnelLog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QImage>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <limits>

#include <unistd.h>

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

// Counts the times a widget is hidden.
class CHides : public QObject {
public:
    explicit CHides(QWidget* widget) { widget->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Hide)
            ++count;
        return false;
    }
};

TEST_F(WindowTest, ShowingKeepsTheWindowsPublishedHandleAndNeverHidesAShownWindow)
{
    CMainWindow window;
    window.ShowAll();
    const Qt::WindowFlags flags = window.windowFlags();
    const HWND handle = FindWindowW(nullptr, L"System Cleanup");
    ASSERT_NE(handle, nullptr);
    CHides hides(&window);
    for (int round = 0; round < 4; ++round) {
        window.ShowAll();
        window.hide();
        window.ShowAll();
        EXPECT_EQ(FindWindowW(nullptr, L"System Cleanup"), handle) << "round " << round;
    }
    EXPECT_EQ(hides.count, 4) << "a shown window is brought to the top, never hidden and shown again";
    EXPECT_EQ(window.windowFlags(), flags);
    int records = 0;
    for (const platform::WindowRecord& record : platform::PublishedWindows())
        if (record.pid == getpid() && record.title == L"System Cleanup")
            ++records;
    EXPECT_EQ(records, 1) << "one record for the window's whole life";
}

using testing_support::Contrast;

// The darkest pixel of the check box's text, right of its picture, on the dialog as it draws
// itself.
QColor CheckBoxInk(QWidget* dialog, const CCheckBox* box)
{
    const QImage image = dialog->grab().toImage();
    const int textLeft = ResPicture(QStringLiteral("checkbox.png")).width() + 5;
    const QRect text(box->mapTo(dialog, QPoint(textLeft, 0)), QSize(box->width() - textLeft, box->height()));
    QColor ink = Qt::white;
    for (int y = text.top(); y <= text.bottom(); ++y)
        for (int x = text.left(); x <= text.right(); ++x)
            if (image.pixelColor(x, y).lightness() < ink.lightness())
                ink = image.pixelColor(x, y);
    return ink;
}

TEST_F(WindowTest, CheckBoxTextsAreDarkOnTheWhiteSettingsDialogAndTrayTip)
{
    // The program's look, read from the program folder as the program reads it.
    EXPECT_EQ(GetAppDirPath() + QStringLiteral("\\res\\Jex\\checkbox.png"),
              GetResPath(QStringLiteral("checkbox.png"), QStringLiteral("res")));
    const QString sheet = ReadAppStyleSheet(GetAppDirPath());
    ASSERT_FALSE(sheet.isEmpty());
    qApp->setStyleSheet(sheet);
    CSettingsDlg settings(QStringLiteral("Settings"), nullptr);
    CTrayTipDlg junkTip(static_cast<quint64>(400) << 20);
    for (QDialog* dialog : {static_cast<QDialog*>(&settings), static_cast<QDialog*>(&junkTip)}) {
        dialog->show();
        auto* box = dialog->findChild<CCheckBox*>();
        ASSERT_NE(box, nullptr);
        const QColor ink = CheckBoxInk(dialog, box);
        EXPECT_GE(Contrast(ink, Qt::white), 7.0) << dialog->metaObject()->className() << ": " << ink.name().toStdString();
        dialog->hide();
    }
    qApp->setStyleSheet(QString());
}

// The strongest contrast any pixel of the area has against the area's first pixel, its background.
double InkContrast(const QImage& image, const QRect& area)
{
    const QColor background = image.pixelColor(area.topLeft());
    double strongest = 1;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            strongest = std::max(strongest, Contrast(image.pixelColor(x, y), background));
    return strongest;
}

TEST_F(WindowTest, TheHomePagesCaptionsDescriptionAndTitleReadOnTheWindow)
{
    const QString sheet = ReadAppStyleSheet(GetAppDirPath());
    ASSERT_FALSE(sheet.isEmpty());
    qApp->setStyleSheet(sheet);
    CMainWindow window;
    window.ShowAll();
    auto* home = qobject_cast<CHomePage*>(window.Wizard()->GetPage(1));
    ASSERT_NE(home, nullptr);
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(home->ToolButton(2), &enter);
    const QImage image = window.grab().toImage();
    const int captionTop = ResPicture(QStringLiteral("icon_garbage.png")).height() + 60;
    for (int entry = 0; entry < 3; ++entry) {
        const CHomeLargeBtn* button = home->ToolButton(entry);
        const QRect caption(button->mapTo(&window, QPoint(1, captionTop)), QSize(button->width() - 2, 40));
        EXPECT_GE(InkContrast(image, caption), 4.5) << "caption " << entry;
    }
    const QLabel* description = home->DescriptionLabel();
    ASSERT_FALSE(description->text().isEmpty());
    EXPECT_GE(InkContrast(image, QRect(description->mapTo(&window, QPoint(0, 0)), description->size())), 4.5);
    const QLabel* title = window.findChild<QLabel*>(QStringLiteral("CFrameTitle_textTitle"));
    ASSERT_NE(title, nullptr);
    EXPECT_GE(InkContrast(image, QRect(title->mapTo(&window, QPoint(0, 0)), title->size())), 4.5);
    qApp->setStyleSheet(QString());
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
    for (IExportWidget* exported : {junk_test::KeptForTheRun(BuildSysCleanExportWgt(&host)),
                                    junk_test::KeptForTheRun(BuildLargeFileExportWgt(&host))}) {
        ASSERT_NE(exported, nullptr);
        for (int id : {2, 3, 4})
            if (QWidget* page = exported->GetPage(id))
                page->grab();
    }
    for (const std::wstring& line : unreadable())
        if (line.find(L"no_such_picture.png") == std::wstring::npos)
            ADD_FAILURE() << QString::fromStdWString(line).toStdString();
}

TEST_F(WindowTest, ClosingPutsAwayAfterATrayOpenAndEndsAfterANormalStart)
{
    CMainWindow window;
    window.SetApplication(qobject_cast<QApplication*>(QCoreApplication::instance()));
    window.SetTrayProbe([] { return true; });
    window.onIconTrayActivate(0);
    EXPECT_TRUE(window.HidesOnClose());
    EXPECT_TRUE(window.isVisible());
    window.close();
    EXPECT_FALSE(window.isVisible());

    // Where the desktop has no tray, nothing would lead back to a hidden window: it is minimised.
    window.SetTrayProbe([] { return false; });
    window.onIconTrayActivate(0);
    window.close();
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.windowState(), Qt::WindowMinimized);

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

TEST_F(WindowTest, AnotherCopysRequestsAndAPaintWhileHiddenReachTheWindow)
{
    CMainWindow window;
    window.SetApplication(qobject_cast<QApplication*>(QCoreApplication::instance()));
    std::vector<int> restarts;
    window.Tray().SetRestarter([&](int page) { restarts.push_back(page); });
    // Shown and hidden, as in the background mode: known by its title from then on.
    window.showMinimized();
    window.hide();
    window.StartCheck(600, 300);
    // The handle found once serves for the window's whole life, shown or hidden.
    const HWND handle = FindWindowW(nullptr, L"System Cleanup");
    ASSERT_NE(handle, nullptr);
    EXPECT_FALSE(IsWindowVisible(handle));

    // A paint message wakes the hidden window: the tray goes and its check stops.
    SendMessageW(handle, WM_PAINT, 0, 0);
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.Tray().isVisible());
    EXPECT_TRUE(window.Tray().IsStopped());
    EXPECT_FALSE(window.Tray().IsCounting());
    EXPECT_FALSE(window.HidesOnClose());

    window.hide();
    EXPECT_EQ(HostSendCopyRequest(handle, CopyShow), TRUE);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(HostSendCopyRequest(handle, CopyOpen), TRUE);
    EXPECT_EQ(restarts, std::vector<int>{1});
    QTimer::singleShot(0, [handle] { HostSendCopyRequest(handle, CopyQuit); });
    QTimer::singleShot(10000, [] { QCoreApplication::exit(7); });
    EXPECT_EQ(QCoreApplication::exec(), 0);
}

TEST_F(WindowTest, ACopyOfDataToTheTipAsksForTheHomePage)
{
    CTrayTipDlg tip(static_cast<quint64>(400) << 20);
    QSignalSpy cleanup(&tip, &CTrayTipDlg::showCleanup);
    tip.show();
    HWND handle = FindWindowW(nullptr, L"Orvane Zelmar");
    ASSERT_NE(handle, nullptr);
    BYTE byte = 0;
    COPYDATASTRUCT data {0, 1, &byte};
    SendMessageW(handle, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
    ASSERT_EQ(cleanup.count(), 1);
    EXPECT_EQ(cleanup[0][0].toInt(), 1);
}

TEST_F(WindowTest, TheBackgroundCheckWaitsForAnyNumberOfMinutes)
{
    // Minutes whose milliseconds no int holds, and a threshold beyond what 64 bits count.
    for (const int minutes : {35792, 1000000, std::numeric_limits<int>::max()}) {
        CMainWindow window;
        window.StartCheck(minutes, 1e300);
        window.Tray().onTimeOut();
        EXPECT_TRUE(window.Tray().IsCounting()) << minutes << " minutes are not over at the first tick";
        EXPECT_EQ(window.Tray().ThresholdBytes(), std::numeric_limits<quint64>::max());
    }
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

TEST_F(WindowTest, TheHomePageReportsBeingLeftUnusedOnceAndOnlyWhenShownAndUnused)
{
    const auto reports = [] { return testing_support::InfoDataReports("Clean_Home_NoOperation"); };
    struct Case {
        bool shown;
        bool used;
        size_t reports;
    };
    for (const Case& test : {Case{true, false, 1}, Case{true, true, 0}, Case{false, false, 0}}) {
        const size_t before = reports();
        {
            CHomePage page;
            page.SetShown(test.shown);
            if (test.used)
                QTest::mouseClick(page.ToolButton(1), Qt::LeftButton);
        }
        EXPECT_EQ(reports() - before, test.reports) << "shown " << test.shown << ", used " << test.used;
    }
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

    // Each saved change, and only a change, is reported with monitoring now on (1) or off (0).
    const std::vector<std::string> changes = testing_support::StatisticsCalls("_SetActionData");
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_NE(changes[0].find(", 0, 1, 0)"), std::string::npos) << changes[0];
    EXPECT_NE(changes[1].find(", 0, 0, 0)"), std::string::npos) << changes[1];
}

} // namespace
} // namespace standalone_test
