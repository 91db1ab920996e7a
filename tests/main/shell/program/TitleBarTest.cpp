#include "FixTitleBase.h"
#include "DrawPushButton.h"
#include "MessageBox.h"
#include "ProcessObjects.h"

#include "Paneforge/BPMenu.h"
#include "Paneforge/Util.h"
#include "platform/Machine.h"
#include "platform/Text.h"
#include "platform/Windows.h"
#include "support/TempMachine.h"
#include "support/UsageEvents.h"

#include <QApplication>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

QPushButton* Button(CFixTitleBase& title, const char* name)
{
    return title.findChild<QPushButton*>(QLatin1String(name));
}

QList<QLabel*> Labels(CFixTitleBase& title)
{
    return title.findChildren<QLabel*>();
}

QLabel* TitleLabel(CFixTitleBase& title)
{
    for (QLabel* label : Labels(title))
        if (!label->text().isEmpty())
            return label;
    return nullptr;
}

QAction* MenuEntry(CFixTitleBase& title, const QString& key)
{
    for (QAction* action : title.findChild<CBPMenu*>()->actions())
        if (action->data().toString() == key)
            return action;
    return nullptr;
}

TEST(TitleBar, StylesSizeTheStripAndTheTitle)
{
    const std::tuple<int, int, int, int> looks[] = {{1, 48, 400, 400}, {2, 48, 270, 370}, {3, 48, 320, 320},
                                                    {4, 48, 320, 320}, {6, 37, 320, 320}};
    for (const auto& [style, height, left, right] : looks) {
        CFixTitleBase title(style, 3, nullptr);
        title.SetTitle(QStringLiteral("Write Protection"));
        title.adjustSize();
        EXPECT_EQ(QSize(left + right, height), title.size()) << style;
        const QString text = TitleLabel(title)->text();
        EXPECT_TRUE(text.contains(QStringLiteral("font-size:%1px").arg(style == 4 ? 14 : 16))) << style;
        EXPECT_TRUE(text.contains(QStringLiteral("Write Protection")));
    }
}

TEST(TitleBar, ShowFlagsNeedAllTheirBits)
{
    CFixTitleBase title(1, 3, nullptr);
    EXPECT_FALSE(Button(title, "Quarnel_BtnMsg")->isHidden());
    EXPECT_FALSE(Button(title, "Quarnel_BtnMenu")->isHidden());
    EXPECT_TRUE(Button(title, "Quarnel_MaxBtn")->isHidden());
    EXPECT_TRUE(Button(title, "Quarnel_BtnBack")->isHidden());

    title.slotSetShowFlags(0x1100100);
    EXPECT_FALSE(Button(title, "Quarnel_CloseBtn")->isHidden());
    for (const char* hidden : {"Quarnel_BtnMsg", "Quarnel_BtnMenu", "Quarnel_MinBtn", "Quarnel_MaxBtn"})
        EXPECT_TRUE(Button(title, hidden)->isHidden()) << hidden;
    for (QLabel* label : Labels(title))
        EXPECT_FALSE(label->isHidden());

    title.slotSetShowFlags(0x100);
    for (QLabel* label : Labels(title))
        EXPECT_TRUE(label->isHidden());
    title.slotSetShowFlags(0x10000000 | 0x1000);
    EXPECT_FALSE(Button(title, "Quarnel_BtnBack")->isHidden());
    EXPECT_FALSE(Button(title, "Quarnel_MaxBtn")->isHidden());
    EXPECT_TRUE(Button(title, "Quarnel_CloseBtn")->isHidden());
}

TEST(TitleBar, HomeCloseOnlyReportsTheButton)
{
    QWidget window;
    auto* title = new CFixTitleBase(1, 2, &window);
    window.show();
    QSignalSpy clicked(title, &CFixTitleBase::SigTitleBtnClicked);
    Button(*title, "Quarnel_CloseBtn")->click();
    Button(*title, "Quarnel_MinBtn")->click();
    Button(*title, "Quarnel_MaxBtn")->click();
    ASSERT_EQ(3, clicked.count());
    EXPECT_EQ(256, clicked.at(0).at(0).toInt());
    EXPECT_EQ(16, clicked.at(1).at(0).toInt());
    EXPECT_EQ(4096, clicked.at(2).at(0).toInt());
    EXPECT_TRUE(window.isVisible());
}

TEST(TitleBar, ToolCloseClosesItsWindow)
{
    for (const int pageType : {3, 7, 10}) {
        QWidget window;
        auto* title = new CFixTitleBase(1, pageType, &window);
        title->slotSetShowFlags(0x1100100);
        window.show();
        QSignalSpy clicked(title, &CFixTitleBase::SigTitleBtnClicked);
        Button(*title, "Quarnel_CloseBtn")->click();
        EXPECT_FALSE(window.isVisible()) << pageType;
        // Only the log-in frame's page hears of it.
        EXPECT_EQ(pageType == 7 ? 1 : 0, clicked.count()) << pageType;
    }
}

TEST(TitleBar, ClosingAToolReportsItsPage)
{
    platform::SetProgramFolder(testing_support::BuildProgramFolder());
    const auto close = [](int pageType) {
        QWidget window;
        auto* title = new CFixTitleBase(1, pageType, &window);
        title->slotSetShowFlags(0x1100100);
        window.show();
        Button(*title, "Quarnel_CloseBtn")->click();
    };
    // The log-in frame tells its page instead; a clean-up frame whose page named no window is silent.
    // The name is the process's: an earlier case may have left one.
    CFixTitleBase(1, 10, nullptr).slotCurWindowName(QString());
    for (const int pageType : {3, 4, 5, 7, 10})
        close(pageType);
    CFixTitleBase(1, 11, nullptr).slotCurWindowName(QStringLiteral("LargeFileResult"));
    close(11);

    QStringList reported;
    for (const QJsonObject& event : testing_support::UsageEvents(4))
        reported << event.value("Window").toString() + "/" + event.value("Activity").toString();
    reported.sort();
    EXPECT_EQ((QStringList {"FileFixing/Click_Close", "LargeFileResult/Click_Close", "WindowsUpdate/Click_Close",
                            "WriteProtection/Click_Close"}),
              reported);
}

TEST(TitleBar, CleanupPagesLockTheCloseButtonAndNameTheWindow)
{
    CFixTitleBase title(1, 10, nullptr);
    title.slotCloseDisable(true);
    EXPECT_FALSE(Button(title, "Quarnel_CloseBtn")->isEnabled());
    title.slotCloseDisable(false);
    EXPECT_TRUE(Button(title, "Quarnel_CloseBtn")->isEnabled());
    title.slotCurWindowName(QStringLiteral("JunkScan"));
    EXPECT_EQ("JunkScan", GetCurWindowName());
}

TEST(TitleBar, SettingsEntryAsksForTheDialog)
{
    CFixTitleBase title(1, 2, nullptr);
    QSignalSpy settings(&title, &CFixTitleBase::sigShowSettings);
    title.menuClickSlot(MenuEntry(title, QStringLiteral("Settings")));
    title.menuClickSlot(nullptr);
    EXPECT_EQ(1, settings.count());
}

TEST(TitleBar, LogOutForgetsTheAccountAndLogInAsksForThePage)
{
    testing_support::TempMachine machine;
    Util::setDravielsCfgInfo(QStringLiteral("localcfg.ini"), QStringLiteral("cache"), QStringLiteral("account"),
                             QStringLiteral("someone@example.com"));
    CFixTitleBase title(1, 2, nullptr);
    QAction* entry = MenuEntry(title, QStringLiteral("Log in"));
    ASSERT_NE(nullptr, entry);
    EXPECT_EQ(QStringLiteral("Log out"), entry->text());

    QSignalSpy userMgt(&title, &CFixTitleBase::UserMgt);
    title.menuClickSlot(entry);
    ASSERT_EQ(1, userMgt.count());
    EXPECT_EQ(8, userMgt.at(0).at(0).toInt());
    EXPECT_EQ(QStringLiteral("Log in"), entry->text());
    S_LOCAL_CFG local;
    Util::getDravielsLocalCfgInfo(local);
    EXPECT_TRUE(local.strAccount.isEmpty());
    EXPECT_EQ(0, local.iIsQuit);

    Util::setDravielsCfgInfo(QStringLiteral("localcfg.ini"), QStringLiteral("cache"), QStringLiteral("account"),
                             QStringLiteral("kept"));
    title.menuClickSlot(entry);
    ASSERT_EQ(2, userMgt.count());
    EXPECT_EQ(7, userMgt.at(1).at(0).toInt());
    Util::getDravielsLocalCfgInfo(local);
    EXPECT_EQ(QStringLiteral("kept"), local.strAccount);

    title.slotLoginSig(8);
    EXPECT_EQ(QStringLiteral("Log out"), entry->text());
    title.slotLoginSig(3);
    EXPECT_EQ(QStringLiteral("Log out"), entry->text());
}

TEST(TitleBar, AboutOpensBelowTheTitleBar)
{
    QWidget window;
    window.move(100, 60);
    auto* title = new CFixTitleBase(1, 2, &window);
    window.show();
    QPoint shownAt;
    QString shownText;
    QTimer::singleShot(50, [&] {
        if (auto* box = qobject_cast<CMessageBox*>(QApplication::activeModalWidget())) {
            shownAt = box->pos();
            for (QLabel* label : box->findChildren<QLabel*>())
                shownText += label->text();
            box->close();
        }
    });
    title->slotActionAboutClicked(false);
    EXPECT_EQ(title->mapToGlobal(QPoint(0, 0)) + QPoint(80, 48), shownAt);
    EXPECT_TRUE(shownText.contains(QStringLiteral("Orvane Quarnel ")));
    EXPECT_TRUE(shownText.contains(QStringLiteral("still a Beta version")));
}

TEST(TitleBar, DragStopsOutsideTheAvailableArea)
{
    QWidget window;
    window.move(100, 100);
    auto* title = new CFixTitleBase(1, 2, &window);
    window.show();
    auto send = [&](QEvent::Type type, QPoint global) {
        QMouseEvent event(type, title->mapFromGlobal(global), global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(title, &event);
    };
    const QPoint start = window.pos() + QPoint(20, 20);
    send(QEvent::MouseButtonPress, start);
    send(QEvent::MouseMove, start + QPoint(30, 10));
    EXPECT_EQ(QPoint(130, 110), window.pos());
    send(QEvent::MouseMove, QPoint(-400, -400));
    EXPECT_EQ(QPoint(130, 110), window.pos());
    send(QEvent::MouseButtonRelease, start + QPoint(30, 10));
    send(QEvent::MouseMove, start + QPoint(60, 60));
    EXPECT_EQ(QPoint(130, 110), window.pos());
}

class AutoLaunchTest : public testing::Test {
protected:
    void SetUp() override
    {
        folder_ = machine_.UseProgramFolder();
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS,
                  RegCreateKeyExW(HKEY_LOCAL_MACHINE, kRunKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr));
        RegCloseKey(key);
    }

    // The value's text and its stored size in bytes; empty when missing.
    std::pair<std::wstring, DWORD> RunValue() const
    {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
            return {};
        wchar_t data[1024] = {};
        DWORD size = sizeof(data);
        DWORD type = 0;
        const LSTATUS status =
            RegQueryValueExW(key, L"Orvane Draviel", nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
        RegCloseKey(key);
        if (status != ERROR_SUCCESS || type != REG_SZ)
            return {};
        return {data, size};
    }

    testing_support::TempMachine machine_;
    std::string folder_;
};

TEST_F(AutoLaunchTest, OnWritesTheQuotedUpdaterCommand)
{
    EXPECT_FALSE(CFixTitleBase::IsAutoLaunch());
    CFixTitleBase::SetAutoLaunch(true);
    const auto [text, size] = RunValue();
    EXPECT_EQ(L"\"" + platform::WindowsPath(folder_) + L"\\Renewer.exe\" autostart", text);
    EXPECT_EQ(sizeof(wchar_t[260]), size);
    EXPECT_TRUE(CFixTitleBase::IsAutoLaunch());

    CFixTitleBase::SetAutoLaunch(false);
    EXPECT_TRUE(RunValue().first.empty());
    EXPECT_FALSE(CFixTitleBase::IsAutoLaunch());
    CFixTitleBase::SetAutoLaunch(false);
    EXPECT_FALSE(CFixTitleBase::IsAutoLaunch());
}

TEST_F(AutoLaunchTest, APathTooLongForTheValueIsRefused)
{
    machine_.WriteMachineIni("[Machine]\nProgramFolder=C:\\" + std::string(240, 'p') + "\n");
    CFixTitleBase::SetAutoLaunch(true);
    EXPECT_TRUE(RunValue().first.empty());
    EXPECT_FALSE(CFixTitleBase::IsAutoLaunch());
}

TEST(AutoLaunch, WithoutTheRunKeyNothingIsWritten)
{
    testing_support::TempMachine machine;
    machine.UseProgramFolder();
    CFixTitleBase::SetAutoLaunch(true);
    EXPECT_FALSE(CFixTitleBase::IsAutoLaunch());
    HKEY key = nullptr;
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_READ, &key));
}

} // namespace
