#include "MsgItemInfo.h"
#include "UserHelper.h"

#include <QByteArray>
#include <QDataStream>
#include <QDateTime>
#include <QtEndian>

#include <gtest/gtest.h>

namespace {

CMsgItemInfo WithContent(const QString& content)
{
    return CMsgItemInfo(1, QStringLiteral("t"), content, QDate(2020, 1, 2), 0);
}

QByteArray Written(const CMsgItemInfo& item)
{
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream.setVersion(QDataStream::Qt_5_6);
    stream << item;
    return bytes;
}

TEST(MsgItemInfoTest, RunsOfAdjacentLineBreaksBecomeOneAndEverythingElseStays)
{
    const struct {
        const char* content;
        const char* kept;
    } cases[] = {
        {"a<br /><br /><br />b", "a<br />b"},
        {"a<br /> <br /> <br />b", "a<br /> <br /> <br />b"},
        {"<br /><br />", "<br />"},
        {"text<br", "text<br"},
        {"<br /><br", "<br /><br"},
        {"<br /><br /x<br />", "<br /><br /x<br />"},
        {"<<br /><br />", "<<br /><br />"},
        {"a<BR /><BR />", "a<BR /><BR />"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WithContent(QString::fromUtf8(c.content)).GetContent(), QString::fromUtf8(c.kept)) << c.content;
}

TEST(MsgItemInfoTest, RecordsStartUnreadAndCopyEveryField)
{
    const CMsgItemInfo empty;
    EXPECT_EQ(empty.GetId(), 0);
    EXPECT_FALSE(empty.IsRead());
    EXPECT_FALSE(empty.IsClosed());
    EXPECT_TRUE(empty.GetTitle().isEmpty());
    EXPECT_EQ(empty.GetDate(), QDate::currentDate());
    EXPECT_EQ(empty.GetLength(), 0);

    CMsgItemInfo item(7, QStringLiteral("Title"), QStringLiteral("c"), QDate(2019, 5, 6), 99);
    item.SetRead(true);
    item.SetClosed(true);
    const CMsgItemInfo copy(item);
    CMsgItemInfo assigned;
    assigned = item;
    for (const CMsgItemInfo* other : {&copy, static_cast<const CMsgItemInfo*>(&assigned)}) {
        EXPECT_EQ(other->GetId(), 7);
        EXPECT_TRUE(other->IsRead());
        EXPECT_TRUE(other->IsClosed());
        EXPECT_EQ(other->GetTitle(), QStringLiteral("Title"));
        EXPECT_EQ(other->GetDate(), QDate(2019, 5, 6));
        EXPECT_EQ(other->GetLength(), 99);
    }
}

TEST(MsgItemInfoTest, DisplayContentLosesStyleAttributesAndColoursLinks)
{
    CMsgItemInfo item = WithContent(QStringLiteral(
        "<p style=\"color:red\">Hi <a href=\"https://x.example\">x</a></p><span style=\"color:red\">y</span>"));
    EXPECT_EQ(item.GetContent(), QStringLiteral("<p >Hi <a style=\"color: #0092ff;\" href=\"https://x.example\">x</a>"
                                                "</p><span >y</span>"));
    // A second rewrite replaces the colour it added rather than piling another one up.
    EXPECT_EQ(item.GetContent().count(QStringLiteral("color: #0092ff;")), 1);

    EXPECT_EQ(WithContent(QStringLiteral("<abbr>A</abbr>")).GetContent(),
              QStringLiteral("<a style=\"color: #0092ff;\"bbr>A</abbr>"));
    EXPECT_EQ(WithContent(QStringLiteral("<p style=\"\">a</p><b style=\"q\">b</b>")).GetContent(),
              QStringLiteral("<p >a</p><b >b</b>"));
}

TEST(MsgItemInfoTest, AStyleWithoutClosingQuoteLeavesTheRestAsItIs)
{
    CMsgItemInfo item = WithContent(QStringLiteral("<p style=\"a\">x</p><i style=\"color:red>never closed <a>"));
    EXPECT_EQ(item.GetContent(),
              QStringLiteral("<p >x</p><i style=\"color:red>never closed <a style=\"color: #0092ff;\">"));
    EXPECT_EQ(WithContent(QStringLiteral("style=\"")).GetContent(), QStringLiteral("style=\""));
}

TEST(MsgItemInfoTest, DatesShowMonthAndDayThisYearAndTheYearOtherwise)
{
    const int year = QDate::currentDate().year();
    EXPECT_EQ(CMsgItemInfo(1, {}, {}, QDate(year, 3, 7), 0).GetDateText(), QStringLiteral("03.07"));
    EXPECT_EQ(CMsgItemInfo(1, {}, {}, QDate(year, 12, 31), 0).GetDateText(), QStringLiteral("12.31"));
    EXPECT_EQ(CMsgItemInfo(1, {}, {}, QDate(year - 1, 3, 7), 0).GetDateText(), QString::number(year - 1));
    EXPECT_EQ(CMsgItemInfo(1, {}, {}, QDate(2015, 1, 1), 0).GetDateText(), QStringLiteral("2015"));
}

TEST(MsgItemInfoTest, StreamFormIsTheStoresRecordLayoutAndReadsBack)
{
    CMsgItemInfo item(0x0102030405060708LL, QStringLiteral("Ti"), QStringLiteral("a<br />b"), QDate(2016, 3, 7), 513);
    item.SetClosed(true);
    const QByteArray bytes = Written(item);

    // id, read, closed, title (byte count, UTF-16 big-endian), content, Julian day, length.
    QByteArray expected = QByteArray::fromHex("0102030405060708" "00" "01" "00000004" "00540069" "00000010"
                                              "0061003c00620072" "0020002f003e0062");
    char day[8];
    qToBigEndian<qint64>(QDate(2016, 3, 7).toJulianDay(), day);
    expected.append(day, 8);
    expected.append(QByteArray::fromHex("0000000000000201"));
    EXPECT_EQ(bytes.toHex(), expected.toHex());

    CMsgItemInfo read;
    QDataStream in(bytes);
    in.setVersion(QDataStream::Qt_5_6);
    in >> read;
    EXPECT_EQ(in.status(), QDataStream::Ok);
    EXPECT_EQ(read.GetId(), item.GetId());
    EXPECT_FALSE(read.IsRead());
    EXPECT_TRUE(read.IsClosed());
    EXPECT_EQ(read.GetTitle(), QStringLiteral("Ti"));
    EXPECT_EQ(read.GetContent(), QStringLiteral("a<br />b"));
    EXPECT_EQ(read.GetDate(), QDate(2016, 3, 7));
    EXPECT_EQ(read.GetLength(), 513);

    const CMsgItemInfo nullTitle(3, QString(), QString(), QDate(2016, 3, 7), 0);
    CMsgItemInfo back;
    QDataStream nullIn(Written(nullTitle));
    nullIn >> back;
    EXPECT_TRUE(back.GetTitle().isNull());
    EXPECT_EQ(Written(back), Written(nullTitle));
}

TEST(MsgItemInfoTest, ReadingCollapsesLineBreaksAndAShortRecordLeavesTheItemAlone)
{
    QByteArray bytes;
    {
        QDataStream out(&bytes, QIODevice::WriteOnly);
        out.setVersion(QDataStream::Qt_5_6);
        out << qint64(9) << true << false << QStringLiteral("T") << QStringLiteral("x<br /><br />y")
            << QDate(2018, 1, 1) << qint64(4);
    }
    CMsgItemInfo item;
    QDataStream in(bytes);
    in.setVersion(QDataStream::Qt_5_6);
    in >> item;
    EXPECT_EQ(item.GetId(), 9);
    EXPECT_TRUE(item.IsRead());
    EXPECT_EQ(item.GetContent(), QStringLiteral("x<br />y"));

    CMsgItemInfo untouched(5, QStringLiteral("keep"), QString(), QDate(2017, 2, 3), 1);
    QDataStream shortIn(bytes.left(bytes.size() - 3));
    shortIn.setVersion(QDataStream::Qt_5_6);
    shortIn >> untouched;
    EXPECT_NE(shortIn.status(), QDataStream::Ok);
    EXPECT_EQ(untouched.GetId(), 5);
    EXPECT_EQ(untouched.GetTitle(), QStringLiteral("keep"));

    QByteArray damaged = QByteArray::fromHex("0000000000000001" "00" "00" "7ffffffe");
    QDataStream damagedIn(damaged);
    damagedIn >> untouched;
    EXPECT_NE(damagedIn.status(), QDataStream::Ok);
    EXPECT_EQ(untouched.GetId(), 5);
}

TEST(MsgItemInfoTest, ServerItemsBecomeRecordsUnlessTheirIdOrTimeIsNegative)
{
    S_MSG_DATA data;
    data.iId = 12;
    data.iAddTime = 1600000000;
    data.iLength = 77;
    data.strTitle = "Grüße";
    data.strContent = "<p>a</p><br /><br />";
    CMsgItemInfo item;
    ASSERT_TRUE(CMsgItemInfo::FromMsgData(data, item));
    EXPECT_EQ(item.GetId(), 12);
    EXPECT_EQ(item.GetTitle(), QStringLiteral("Grüße"));
    EXPECT_EQ(item.GetContent(), QStringLiteral("<p>a</p><br />"));
    EXPECT_EQ(item.GetDate(), QDateTime::fromSecsSinceEpoch(1600000000, Qt::LocalTime).date());
    EXPECT_EQ(item.GetLength(), 77);
    EXPECT_FALSE(item.IsRead());

    CMsgItemInfo kept(3, QStringLiteral("kept"), QString(), QDate(2017, 2, 3), 1);
    data.iId = -1;
    EXPECT_FALSE(CMsgItemInfo::FromMsgData(data, kept));
    data.iId = 1;
    data.iAddTime = -1;
    EXPECT_FALSE(CMsgItemInfo::FromMsgData(data, kept));
    EXPECT_EQ(kept.GetId(), 3);
    data.iAddTime = 0;
    EXPECT_TRUE(CMsgItemInfo::FromMsgData(data, kept));
}

} // namespace
