#include "MsgItemInfo.h"
#include "MsgStore.h"

#include "platform/Machine.h"
#include "support/TempMachine.h"

#include <QProcess>
#include <QRegularExpression>
#include <QSettings>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace {

namespace fs = std::filesystem;

// A program folder of the test's own that holds the build's files, with the maker's shared
// resources beside it, so that the settings the maker writes there stay out of the build's folder.
std::string ProgramFolderBesideBuild(const std::string& root)
{
    const fs::path build = testing_support::BuildProgramFolder();
    const fs::path folder = fs::path(root) / "bin";
    fs::create_directories(folder);
    for (const fs::directory_entry& entry : fs::directory_iterator(build))
        if (entry.path().filename() != "GarbageClean.ini")
            fs::create_symlink(entry.path(), folder / entry.path().filename());
    fs::create_directory_symlink(build.parent_path() / "res", fs::path(root) / "res");
    return folder.string();
}

TEST(DemoMachineTest, CarriesStoredMessagesOneReadOneClosedTheRestUnreadWithLinksAndNoOtherVersion)
{
    testing_support::TempMachine machine;
    const QString root = QString::fromStdString(machine.Root() + "/demo");
    ASSERT_EQ(QProcess::execute(QStringLiteral(QUARNEL_DEMO_MAKER),
                                {root, QString::fromStdString(ProgramFolderBesideBuild(machine.Root()))}),
              0);
    EXPECT_TRUE(fs::exists(machine.Root() + "/bin/GarbageClean.ini"));

    // The program reads the store of the demo machine's user.
    setenv("QUARNEL_MACHINE", root.toLocal8Bit().constData(), 1);
    platform::ReloadMachine();
    QList<CMsgItemInfo> messages;
    ASSERT_TRUE(CMsgStore().Load(messages));

    ASSERT_EQ(messages.size(), 5);
    const auto count = [&messages](auto test) { return std::count_if(messages.begin(), messages.end(), test); };
    EXPECT_EQ(count([](const CMsgItemInfo& m) { return m.IsRead() && !m.IsClosed(); }), 1);
    EXPECT_EQ(count([](const CMsgItemInfo& m) { return m.IsClosed(); }), 1);
    EXPECT_EQ(count([](CMsgItemInfo& m) { return !m.IsRead() && !m.IsClosed(); }), 3);
    EXPECT_GE(count([](CMsgItemInfo& m) {
                  return !m.IsRead() && !m.IsClosed() && m.GetContent().contains(QStringLiteral("href="));
              }),
              2);
    for (const CMsgItemInfo& m : messages)
        EXPECT_FALSE(m.GetTitle().isEmpty()) << m.GetId();

    // No message announces a version but the installed one, which the update check finds current.
    const QString installed =
        QSettings(QString::fromStdString(machine.Root() + "/bin/kyphtupdate.ini"), QSettings::IniFormat)
            .value(QStringLiteral("update/build"))
            .toString();
    ASSERT_FALSE(installed.isEmpty());
    const QRegularExpression version(QStringLiteral("\\b\\d+(\\.\\d+)+\\b"));
    for (CMsgItemInfo& m : messages)
        for (const QString& text : {m.GetTitle(), m.GetContent()})
            for (auto found = version.globalMatch(text); found.hasNext();)
                EXPECT_EQ(found.next().captured().toStdString(), installed.toStdString()) << m.GetId() << ": " << text.toStdString();
}

} // namespace
