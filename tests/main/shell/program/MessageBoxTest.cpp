#include "MessageBox.h"

#include "Paneforge/Util.h"
#include "platform/Machine.h"
#include "support/TempMachine.h"
#include "support/UsageEvents.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// The dialog's own labels: icon, title line, content line (the title bar's come first).
struct BoxParts {
    QLabel* icon = nullptr;
    QLabel* title = nullptr;
    QLabel* content = nullptr;
};

BoxParts Parts(CMessageBox& box)
{
    const QList<QLabel*> labels = box.findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly);
    return {labels.value(0), labels.value(1), labels.value(2)};
}

QPushButton* MainButton(CMessageBox& box)
{
    for (QPushButton* button : box.findChildren<QPushButton*>(QString(), Qt::FindDirectChildrenOnly))
        if (button->objectName().isEmpty() && !button->inherits("CWaitButtonBase"))
            return button;
    return nullptr;
}

TEST(MessageBox, EmptyTextsHideTheirLines)
{
    CMessageBox box(MSGBOX_LOGO, nullptr, QString(), QString(), 3);
    EXPECT_EQ(QSize(640, 280), box.size());
    box.SetText(QStringLiteral("You must run with administrator privileges."), QString());
    EXPECT_FALSE(Parts(box).title->isHidden());
    EXPECT_TRUE(Parts(box).title->text().contains(QStringLiteral("administrator privileges")));
    EXPECT_TRUE(Parts(box).content->isHidden());
    box.SetText(QString(), QStringLiteral("Current Version: 1.0"));
    EXPECT_TRUE(Parts(box).title->isHidden());
    EXPECT_FALSE(Parts(box).content->isHidden());
}

TEST(MessageBox, ButtonTextByType)
{
    for (const int type : {0, 1, 2, 3, 4, 9}) {
        CMessageBox box(type, nullptr, QString(), QStringLiteral("Update"), 4);
        EXPECT_EQ(type == 2 ? QStringLiteral("View") : QStringLiteral("OK"), MainButton(box)->text()) << type;
    }
    CMessageBox update(MSGBOX_UPDATE, nullptr, QStringLiteral("Update"), QStringLiteral("Update"), 4);
    EXPECT_EQ(QStringLiteral("Update"), MainButton(update)->text());
}

TEST(MessageBox, IconByType)
{
    platform::SetProgramFolder(testing_support::BuildProgramFolder());
    auto picture = [](const char* name) {
        return QPixmap(QString::fromStdString(platform::HostPath(Util::getDravielsResFullPath(QLatin1String(name)).toStdWString())))
            .toImage();
    };
    const std::pair<int, const char*> icons[] = {{0, "logo_about.png"},   {1, "ico_alert.png"},
                                                 {2, "ico_success.png"},  {3, "ico_success.png"},
                                                 {4, "ico_update.png"},   {7, "logo_about.png"}};
    for (const auto& [type, name] : icons) {
        CMessageBox box(type, nullptr, QString(), QString(), 4);
        ASSERT_NE(nullptr, Parts(box).icon->pixmap());
        EXPECT_FALSE(Parts(box).icon->pixmap()->isNull()) << name;
        EXPECT_EQ(picture(name), Parts(box).icon->pixmap()->toImage()) << type;
    }
}

TEST(MessageBox, ButtonsEndTheRunWithOne)
{
    CMessageBox box(MSGBOX_RESULT_VIEW, nullptr, QString(), QStringLiteral("File Showing"), 4);
    box.ShowFixLogButton(true);
    QPushButton* fixLogs = box.findChild<QPushButton*>(QStringLiteral("viewfixlogbtn"));
    ASSERT_NE(nullptr, fixLogs);
    QSignalSpy clicked(&box, &CMessageBox::sigClicked);
    QSignalSpy view(&box, &CMessageBox::sigView1Clicked);

    QTimer::singleShot(20, fixLogs, &QPushButton::click);
    EXPECT_EQ(1, box.exec());
    EXPECT_EQ(0, clicked.count());
    EXPECT_EQ(1, view.count());

    QTimer::singleShot(20, [&] {
        QPushButton* main = MainButton(box);
        emit main->released();
    });
    EXPECT_EQ(1, box.exec());
    EXPECT_EQ(1, clicked.count());
    EXPECT_EQ(1, view.count());
}

TEST(MessageBox, ClosingFromTheTitleBarEndsWithZeroAndReportsTheEventWindow)
{
    platform::SetProgramFolder(testing_support::BuildProgramFolder());
    for (const char* eventWindow : {"", "WriteCompleted"}) {
        CMessageBox box(MSGBOX_RESULT_VIEW, nullptr, QString(), QStringLiteral("Write Protection"), 4);
        box.SetEventWindow(eventWindow);
        QSignalSpy clicked(&box, &CMessageBox::sigClicked);
        QTimer::singleShot(20, [&] { box.findChild<QPushButton*>(QStringLiteral("Quarnel_CloseBtn"))->click(); });
        EXPECT_EQ(0, box.exec());
        EXPECT_EQ(0, clicked.count());
    }
    // Only the box with an event window reports its close.
    const std::vector<QJsonObject> events = testing_support::UsageEvents(1);
    ASSERT_EQ(1u, events.size());
    EXPECT_EQ("WriteCompleted", events[0].value("Window").toString());
    EXPECT_EQ("Click_Close", events[0].value("Activity").toString());
}

} // namespace
