#include "MsgStore.h"

#include "platform/Machine.h"
#include "platform/Windows.h"
#include "support/OtherUser.h"
#include "support/RunFolderPlants.h"
#include "support/TempMachine.h"

#include <QDataStream>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

// The program's log, Quarnel.log (UTF-16LE) in the temporary folder.
QString ProgramLog()
{
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::string bytes = testing_support::ReadFile(platform::HostPath(std::wstring(temp) + L"Quarnel.log"));
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.data()), static_cast<int>(bytes.size() / 2));
}

CMsgItemInfo Message(qint64 id, const QString& title, bool read = false, bool closed = false)
{
    CMsgItemInfo item(id, title, QStringLiteral("<p>%1</p>").arg(title), QDate(2020, 5, 17), id * 10);
    item.SetRead(read);
    item.SetClosed(closed);
    return item;
}

class MsgStoreTest : public testing::Test {
protected:
    QString HostFile() const { return QString::fromStdString(platform::HostPath(store_.Path().toStdWString())); }

    void WriteRaw(const QByteArray& bytes) const
    {
        QFile file(HostFile());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    // A store that says it holds `count` records and holds the given ones.
    QByteArray StoreBytes(qint32 count, const QList<CMsgItemInfo>& records) const
    {
        QByteArray bytes;
        QDataStream stream(&bytes, QIODevice::WriteOnly);
        stream.setVersion(QDataStream::Qt_5_6);
        stream << count;
        for (const CMsgItemInfo& record : records)
            stream << record;
        return bytes;
    }

    testing_support::TempMachine machine_;
    CMsgStore store_;
};

TEST_F(MsgStoreTest, LivesInTheUsersApplicationData)
{
    EXPECT_TRUE(store_.Path().endsWith(QStringLiteral("\\AppData\\Roaming\\Orvane\\Quarnel\\message.dat"),
                                       Qt::CaseInsensitive))
        << store_.Path().toStdString();
    EXPECT_EQ(0, HostFile().indexOf(QString::fromStdString(machine_.Root())));
}

TEST_F(MsgStoreTest, WithoutAFileTheListStaysAsItWas)
{
    QList<CMsgItemInfo> held {Message(1, QStringLiteral("kept"))};
    EXPECT_FALSE(store_.Load(held));
    ASSERT_EQ(1, held.size());
    EXPECT_EQ(QStringLiteral("kept"), held[0].GetTitle());
}

TEST_F(MsgStoreTest, SavedMessagesComeBackWithTheirMarksInOrder)
{
    const QList<CMsgItemInfo> saved {Message(7, QStringLiteral("seven"), true), Message(3, QStringLiteral("three")),
                                     Message(9, QStringLiteral("nine"), false, true)};
    ASSERT_TRUE(store_.Save(saved));
    QList<CMsgItemInfo> loaded;
    ASSERT_TRUE(store_.Load(loaded));
    ASSERT_EQ(3, loaded.size());
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(saved[i].GetId(), loaded[i].GetId());
        EXPECT_EQ(saved[i].IsRead(), loaded[i].IsRead());
        EXPECT_EQ(saved[i].IsClosed(), loaded[i].IsClosed());
        EXPECT_EQ(saved[i].GetTitle(), loaded[i].GetTitle());
        EXPECT_EQ(saved[i].GetDate(), loaded[i].GetDate());
        EXPECT_EQ(saved[i].GetLength(), loaded[i].GetLength());
    }
    // The layout other readers of the store expect: a big-endian count first.
    QFile file(HostFile());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(QByteArray::fromHex("00000003"), file.read(4));
}

TEST_F(MsgStoreTest, SavingReplacesTheFileWholeAndRemovesOnlyTheDraftsKilledSavesLeft)
{
    ASSERT_TRUE(store_.Save({Message(1, QStringLiteral("a")), Message(2, QStringLiteral("b"))}));
    const QDir folder = QFileInfo(HostFile()).dir();
    // What a save killed before its rename left, a save going on in another copy of the program,
    // and another file's draft.
    const QString guid = QStringLiteral("{0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0}");
    const QString left = QStringLiteral("message.dat.") + guid + QStringLiteral(".saving");
    const QString going = QStringLiteral("message.dat.{00000000-0000-0000-0000-000000000001}.saving");
    const QString other = QStringLiteral("other.dat.") + guid + QStringLiteral(".saving");
    for (const QString& name : {left, going, other}) {
        QFile draft(folder.filePath(name));
        ASSERT_TRUE(draft.open(QIODevice::WriteOnly));
        ASSERT_TRUE(draft.write("half a store") > 0 && draft.flush());
        if (name != going) {
            ASSERT_TRUE(draft.setFileTime(QDateTime::currentDateTime().addSecs(-120), QFileDevice::FileModificationTime));
        }
    }
    ASSERT_TRUE(store_.Save({Message(5, QStringLiteral("c"))}));
    QList<CMsgItemInfo> loaded;
    ASSERT_TRUE(store_.Load(loaded));
    ASSERT_EQ(1, loaded.size());
    EXPECT_EQ(5, loaded[0].GetId());
    EXPECT_EQ((QStringList {QStringLiteral("message.dat"), going, other}),
              folder.entryList(QDir::Files | QDir::Hidden, QDir::Name));
}

TEST_F(MsgStoreTest, ADamagedFileGivesAnEmptyList)
{
    const QList<QByteArray> damaged {
        StoreBytes(5, {Message(1, QStringLiteral("one"))}),                     // fewer records than counted
        StoreBytes(0x7fffffff, {}),                                             // a count no file can hold
        StoreBytes(-1, {}),                                                     // a negative count
        StoreBytes(1, {Message(1, QStringLiteral("one"))}).left(20),            // a record cut short
        QByteArray("\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x7f\xff\xff\xf0", 18), // a huge title
        QByteArray("\x00\x00", 2),                                              // not even a count
    };
    for (const QByteArray& bytes : damaged) {
        WriteRaw(bytes);
        QList<CMsgItemInfo> held {Message(1, QStringLiteral("held"))};
        EXPECT_TRUE(store_.Load(held)) << bytes.toHex().toStdString();
        EXPECT_TRUE(held.isEmpty()) << bytes.toHex().toStdString();
    }
    EXPECT_EQ(static_cast<int>(damaged.size()), ProgramLog().count(QStringLiteral("message.dat is damaged")));
}

TEST_F(MsgStoreTest, AStoreLargerThanAStoreMayHoldIsDamagedAndNoneIsWritten)
{
    // Whole records, two mebibytes of them.
    const QString text(512 * 1024, QLatin1Char('x'));
    const QList<CMsgItemInfo> large {CMsgItemInfo(1, QStringLiteral("one"), text, QDate(2020, 5, 17), 0),
                                     CMsgItemInfo(2, QStringLiteral("two"), text, QDate(2020, 5, 17), 0)};
    WriteRaw(StoreBytes(2, large));
    QList<CMsgItemInfo> held {Message(1, QStringLiteral("held"))};
    EXPECT_TRUE(store_.Load(held));
    EXPECT_TRUE(held.isEmpty());
    EXPECT_EQ(1, ProgramLog().count(QStringLiteral("message.dat is damaged")));

    // Messages too many for the store keep what was stored before.
    ASSERT_TRUE(store_.Save({Message(3, QStringLiteral("kept"))}));
    EXPECT_FALSE(store_.Save(large));
    QList<CMsgItemInfo> loaded;
    ASSERT_TRUE(store_.Load(loaded));
    ASSERT_EQ(1, loaded.size());
    EXPECT_EQ(3, loaded[0].GetId());
}

// What the user who owns the machine plants at the store's name neither holds the elevated program
// nor leads its reads and writes out of the machine; the store is written anew in its place.
TEST(MsgStorePlants, AFifoOrALinkAtTheStoreNeitherHoldsTheProgramNorLeadsItOut)
{
    if (!testing_support::WhyNotAsOtherUser().empty())
        GTEST_SKIP() << testing_support::WhyNotAsOtherUser();
    const std::string folder = "drive_c/Users/Owner/AppData/Roaming/Orvane/Quarnel";
    const testing_support::RunPlant plants[] = {
        {"a FIFO at message.dat", testing_support::PlantKind::Fifo, {"message.dat"}, folder},
        {"a link at message.dat to a file of root's outside the machine",
         testing_support::PlantKind::LinkToOutsideFile, {"message.dat"}, folder},
    };
    for (const testing_support::RunPlant& plant : plants) {
        testing_support::CPlantedRun planted(plant);
        ASSERT_TRUE(planted.Planted()) << plant.what;
        planted.RunCalls([&] {
            CMsgStore store;
            ASSERT_EQ(platform::HostPath(store.Path().toStdWString()),
                      platform::HostPath(L"C:\\Users\\Owner\\AppData\\Roaming\\Orvane\\Quarnel\\message.dat"));
            QList<CMsgItemInfo> held {Message(1, QStringLiteral("held"))};
            EXPECT_FALSE(store.Load(held)) << plant.what;
            EXPECT_EQ(1, held.size()) << plant.what;
            EXPECT_TRUE(store.Save({Message(2, QStringLiteral("saved"))})) << plant.what;
            QList<CMsgItemInfo> loaded;
            EXPECT_TRUE(store.Load(loaded)) << plant.what;
            ASSERT_EQ(1, loaded.size()) << plant.what;
            EXPECT_EQ(2, loaded[0].GetId()) << plant.what;
        });
    }
}

TEST(MsgStoreMerge, StoredMarksAndTextsWinAndUnsentMessagesGo)
{
    const QList<CMsgItemInfo> stored {Message(1, QStringLiteral("old one"), true),
                                      Message(2, QStringLiteral("old two"), false, true),
                                      Message(4, QStringLiteral("gone"))};
    const QList<CMsgItemInfo> fetched {Message(2, QStringLiteral("new two")), Message(3, QStringLiteral("new three")),
                                       Message(1, QStringLiteral("new one"))};
    const QList<CMsgItemInfo> merged = CMsgStore::Merge(fetched, stored);
    ASSERT_EQ(3, merged.size());
    EXPECT_EQ(2, merged[0].GetId());
    EXPECT_TRUE(merged[0].IsClosed());
    EXPECT_EQ(QStringLiteral("old two"), merged[0].GetTitle());
    EXPECT_EQ(3, merged[1].GetId());
    EXPECT_FALSE(merged[1].IsRead());
    EXPECT_EQ(QStringLiteral("new three"), merged[1].GetTitle());
    EXPECT_TRUE(merged[2].IsRead());
    EXPECT_EQ(QStringLiteral("old one"), merged[2].GetTitle());
}

TEST(MsgStoreMerge, EqualStoredIdsGiveTheFirstStoredOne)
{
    const QList<CMsgItemInfo> stored {Message(6, QStringLiteral("first"), true), Message(6, QStringLiteral("second"))};
    const QList<CMsgItemInfo> merged =
        CMsgStore::Merge({Message(6, QStringLiteral("a")), Message(6, QStringLiteral("b"))}, stored);
    ASSERT_EQ(2, merged.size());
    for (const CMsgItemInfo& item : merged) {
        EXPECT_EQ(QStringLiteral("first"), item.GetTitle());
        EXPECT_TRUE(item.IsRead());
    }
}

} // namespace
