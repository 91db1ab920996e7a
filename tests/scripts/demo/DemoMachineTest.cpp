#include "MsgItemInfo.h"
#include "MsgStore.h"

#include "platform/Machine.h"
#include "support/TempMachine.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace {

TEST(DemoMachineTest, CarriesStoredMessagesOneReadOneClosedAndTheRestUnreadWithLinks)
{
    testing_support::TempMachine machine;
    const QString root = QString::fromStdString(machine.Root() + "/demo");
    ASSERT_EQ(QProcess::execute(QStringLiteral(QUARNEL_DEMO_MAKER),
                                {root, QString::fromStdString(testing_support::BuildProgramFolder())}),
              0);

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
}

} // namespace
