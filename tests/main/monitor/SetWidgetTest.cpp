#include "SetWidget.h"

#include "FixTitleBase.h"
#include "PageTestSupport.h"
#include "SetButton.h"

#include "platform/Machine.h"
#include "platform/Windows.h"
#include "support/TempMachine.h"
#include "support/UsageEvents.h"

#include <QJsonObject>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

namespace {

class SetWidgetTest : public testing::Test {
protected:
    void SetUp() override
    {
        machine_.UseProgramFolder();
        HKEY key = nullptr;
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", 0, nullptr, 0,
                        KEY_ALL_ACCESS, nullptr, &key, nullptr);
        RegCloseKey(key);
    }

    QRadioButton* Radio(CSetWidget& dialog, const QString& text)
    {
        for (QRadioButton* radio : dialog.findChildren<QRadioButton*>())
            if (radio->text() == text)
                return radio;
        return nullptr;
    }
    QList<QRadioButton*> Levels(CSetWidget& dialog)
    {
        QList<QRadioButton*> levels = dialog.findChildren<QRadioButton*>();
        return levels.mid(2);
    }
    QCheckBox* Box(CSetWidget& dialog, const char* text)
    {
        for (QCheckBox* box : dialog.findChildren<QCheckBox*>())
            if (box->text() == QLatin1String(text))
                return box;
        return nullptr;
    }
    void Close(CSetWidget& dialog)
    {
        dialog.findChild<QPushButton*>(QStringLiteral("Quarnel_CloseBtn"))->click();
    }

    testing_support::TempMachine machine_;
};

TEST_F(SetWidgetTest, LevelsAndTheirTexts)
{
    CSetWidget dialog(nullptr);
    EXPECT_EQ(QSize(662, 400), dialog.size());
    ASSERT_EQ(5, Levels(dialog).size());
    dialog.SetCleanLv(2);
    EXPECT_TRUE(Levels(dialog).at(1)->isChecked());
    for (int outside : {6, 0, -1}) {
        dialog.SetCleanLv(2);
        dialog.SetCleanLv(outside);
        for (QRadioButton* level : Levels(dialog))
            EXPECT_FALSE(level->isChecked()) << outside;
    }

    dialog.SetLvTextList({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d")});
    EXPECT_EQ(QStringLiteral("100 MB"), Levels(dialog).at(0)->text());
    dialog.SetLvTextList({QStringLiteral("1 MB"), QStringLiteral("2 MB"), QStringLiteral("3 MB"),
                          QStringLiteral("4 MB"), QStringLiteral("5 MB")});
    EXPECT_EQ(QStringLiteral("5 MB"), Levels(dialog).at(4)->text());

    dialog.SetShowClean(false);
    for (QRadioButton* level : Levels(dialog))
        EXPECT_FALSE(level->isEnabled());
}

TEST_F(SetWidgetTest, ChoicesReachTheMonitorWhenClosed)
{
    CSetWidget dialog(nullptr);
    dialog.SetShowAssit(true);
    dialog.SetShowClean(true);
    dialog.SetCleanLv(1);
    QSignalSpy level(&dialog, &CSetWidget::sigLvChanged);
    QSignalSpy assit(&dialog, &CSetWidget::sigShowAssit);
    QSignalSpy clean(&dialog, &CSetWidget::sigShowClean);

    Close(dialog);
    EXPECT_EQ(0, level.count());
    EXPECT_EQ(0, assit.count());
    EXPECT_EQ(0, clean.count());

    dialog.show();
    Levels(dialog).at(3)->click();
    Box(dialog, "Remind me while the computer is idle")->setChecked(false);
    Close(dialog);
    ASSERT_EQ(1, level.count());
    EXPECT_EQ(4, level.at(0).at(0).toInt());
    ASSERT_EQ(1, clean.count());
    EXPECT_FALSE(clean.at(0).at(0).toBool());
    EXPECT_FALSE(dialog.isVisible());

    Close(dialog);
    EXPECT_EQ(1, level.count());
    EXPECT_EQ(1, clean.count());
}

TEST_F(SetWidgetTest, LaunchAtLoginActsAtOnceAndGatesTheAssistant)
{
    CSetWidget dialog(nullptr);
    QCheckBox* launch = Box(dialog, "Launch at login");
    ASSERT_NE(nullptr, launch);
    EXPECT_FALSE(launch->isChecked());
    EXPECT_FALSE(Radio(dialog, QStringLiteral("Always allow"))->isEnabled());

    launch->setChecked(true);
    EXPECT_TRUE(CFixTitleBase::IsAutoLaunch());
    EXPECT_TRUE(Radio(dialog, QStringLiteral("Always block"))->isEnabled());

    QSignalSpy assit(&dialog, &CSetWidget::sigShowAssit);
    dialog.show();
    Radio(dialog, QStringLiteral("Always block"))->click();
    Close(dialog);
    ASSERT_EQ(1, assit.count());
    EXPECT_FALSE(assit.at(0).at(0).toBool());

    launch->setChecked(false);
    EXPECT_FALSE(CFixTitleBase::IsAutoLaunch());

    CSetWidget reopened(nullptr);
    EXPECT_FALSE(Box(reopened, "Launch at login")->isChecked());
}

TEST_F(SetWidgetTest, HiddenJunkTabShowsTheGeneralPanel)
{
    CSetWidget dialog(nullptr);
    dialog.show();
    QCheckBox* remind = Box(dialog, "Remind me while the computer is idle");
    QCheckBox* launch = Box(dialog, "Launch at login");
    const QList<CSetButton*> tabs = dialog.findChildren<CSetButton*>();
    ASSERT_EQ(2, tabs.size());
    CSetButton* junkTab = tabs.at(1); // "General" comes first
    junkTab->click();
    ASSERT_TRUE(remind->isVisible());
    ASSERT_FALSE(launch->isVisible());

    dialog.SetCleanVisible(false);
    EXPECT_FALSE(junkTab->isVisible());
    EXPECT_TRUE(launch->isVisible());
    EXPECT_FALSE(remind->isVisible());
    dialog.SetCleanVisible(true);
    EXPECT_TRUE(junkTab->isVisible());
    EXPECT_TRUE(launch->isVisible()) << "showing the tab again leaves the panel";

    dialog.SetAssitVisible(false);
    EXPECT_FALSE(Radio(dialog, QStringLiteral("Always allow"))->isVisible());
}

// Launch and reminder changes are reported as they happen; a close by its button reports what the
// dialog shows, whatever changed; a dismissal by Escape reports nothing.
TEST_F(SetWidgetTest, ChangesAndTheCloseAreReported)
{
    page_test::UsePreludex();
    CSetWidget dialog(nullptr);
    dialog.SetShowAssit(false);
    dialog.SetShowClean(true);
    dialog.SetCleanLv(5);
    dialog.show();
    QCheckBox* launch = Box(dialog, "Launch at login");
    QCheckBox* remind = Box(dialog, "Remind me while the computer is idle");
    const std::pair<std::function<void()>, QStringList> steps[] = {
        {[&] { launch->setChecked(true); }, {R"(Click_Launch {"LaunchInfo":"On"})"}},
        {[&] { remind->setChecked(false); }, {R"(Click_Remind {"RemindInfo":"Off"})"}},
        {[&] { Close(dialog); }, {R"(Click_Close {"StartupAssistantInfo":"Block","RemindSize":"1GB"})"}},
        {[&] {
             dialog.show();
             remind->setChecked(true);
             Radio(dialog, QStringLiteral("Always allow"))->click();
             Levels(dialog).at(1)->click();
             Close(dialog);
         },
         {R"(Click_Remind {"RemindInfo":"On"})", R"(Click_Close {"StartupAssistantInfo":"Allow","RemindSize":"300MB"})"}},
        {[&] { launch->setChecked(false); }, {R"(Click_Launch {"LaunchInfo":"Off"})"}},
        {[&] {
             dialog.show();
             QTest::keyClick(&dialog, Qt::Key_Escape);
         },
         {}},
    };
    QStringList expected;
    for (const auto& [step, reports] : steps) {
        step();
        expected << reports;
    }
    EXPECT_FALSE(dialog.isVisible());
    QStringList reported;
    for (const QJsonObject& event : testing_support::UsageEvents(expected.size())) {
        EXPECT_EQ("Settings", event.value("Window").toString());
        EXPECT_FALSE(event.contains("Source"));
        reported << event.value("Activity").toString() + " " + event.value("Attribute").toString();
    }
    expected.sort();
    reported.sort();
    EXPECT_EQ(expected, reported);
}

} // namespace
