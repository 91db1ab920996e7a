#include "SetWidget.h"

#include "FixTitleBase.h"

#include "platform/Machine.h"
#include "platform/Windows.h"
#include "support/TempMachine.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

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
    EXPECT_FALSE(remind->isVisible());
    EXPECT_TRUE(launch->isVisible());
    dialog.SetCleanVisible(false);
    EXPECT_TRUE(launch->isVisible());
    dialog.SetAssitVisible(false);
    EXPECT_FALSE(Radio(dialog, QStringLiteral("Always allow"))->isVisible());
}

} // namespace
