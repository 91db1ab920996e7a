#include "MsgTextLayout.h"

#include <QFont>
#include <QFontMetrics>
#include <gtest/gtest.h>

namespace {

using msg_text::RestoreLinks;
using msg_text::WrapLines;

QFontMetrics Metrics()
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(14);
    return QFontMetrics(font);
}

TEST(MsgTextLayout, BreaksAtLineFeedsAndEveryBreakTagForm)
{
    const QFontMetrics metrics = Metrics();
    EXPECT_EQ((QStringList{"a", "b", "c", "d", "e", "f"}),
              WrapLines(QStringLiteral("a\nb<br/>c<br   />d<<br/>e br/>f"), metrics, 500).replaceInStrings(" ", ""));
    EXPECT_EQ((QStringList{"a", "", "b"}), WrapLines(QStringLiteral("a\n\nb"), metrics, 500));
    EXPECT_EQ((QStringList{""}), WrapLines(QString(), metrics, 500));
    // The tag is matched as written: other spellings are text.
    EXPECT_EQ((QStringList{"a<BR/>b"}), WrapLines(QStringLiteral("a<BR/>b"), metrics, 500));
}

TEST(MsgTextLayout, LongLinesBreakAfterTheirLastBlankThatFits)
{
    const QFontMetrics metrics = Metrics();
    const QString text = QStringLiteral("alpha beta gamma delta");
    const int width = metrics.horizontalAdvance(QStringLiteral("alpha beta gam"));
    EXPECT_EQ((QStringList{"alpha beta ", "gamma delta"}), WrapLines(text, metrics, width));

    // Without a blank after the first character the line breaks after the last one that fits.
    const QString word = QStringLiteral(" abcdefghijklmnop");
    const QStringList pieces = WrapLines(word, metrics, metrics.horizontalAdvance(QStringLiteral(" abcdef")));
    EXPECT_EQ(QStringLiteral(" abcdef"), pieces.first());
    EXPECT_EQ(word, pieces.join(QString()));
}

TEST(MsgTextLayout, EveryLineFitsAndNothingIsLost)
{
    const QFontMetrics metrics = Metrics();
    const QString text = QStringLiteral("The quick brown fox jumps over the lazy dog, then runs far away into the "
                                        "deep green woods where nobody can find it anymore.");
    for (int width : {60, 97, 150, 288}) {
        const QStringList lines = WrapLines(text, metrics, width);
        EXPECT_EQ(text, lines.join(QString())) << width;
        for (const QString& line : lines)
            EXPECT_LE(metrics.horizontalAdvance(line), width) << width << " " << line.toStdString();
    }
}

TEST(MsgTextLayout, NoRoomStillEndsWithOneCharacterALine)
{
    const QFontMetrics metrics = Metrics();
    EXPECT_EQ((QStringList{"a", "b", "c"}), WrapLines(QStringLiteral("abc"), metrics, 0));
    EXPECT_EQ((QStringList{"a", "b", "c"}), WrapLines(QStringLiteral("abc"), metrics, -40));
    // A glyph wider than the line.
    EXPECT_EQ((QStringList{"W", "W"}), WrapLines(QStringLiteral("WW"), metrics, 3));
    // A character outside the basic plane stays whole.
    const QString smile = QString::fromUtf8("\xF0\x9F\x98\x80\xF0\x9F\x98\x80");
    const QStringList lines = WrapLines(smile, metrics, 1);
    ASSERT_EQ(2, lines.size());
    EXPECT_EQ(smile.left(2), lines.at(0));
    const QString long_text(5000, QLatin1Char('x'));
    EXPECT_EQ(5000, WrapLines(long_text, metrics, 0).size());
}

TEST(MsgTextLayout, LinksComeBackWholeShortenedOrBroken)
{
    const QString anchor = QStringLiteral("<a href=\"https://example.org/x\">Example page</a>");
    const QString content = QStringLiteral("See ") + anchor + QStringLiteral(" today");

    EXPECT_EQ(QStringLiteral("See ") + anchor + QStringLiteral(" today"),
              RestoreLinks(QStringLiteral("See Example page today"), content));
    EXPECT_EQ(QStringLiteral("See <a href=\"https://example.org/x\">Exam\u2026</a>"),
              RestoreLinks(QStringLiteral("See Exam\u2026"), content));
    EXPECT_EQ(QStringLiteral("See <a href=\"https://example.org/x\">Exam<br/>ple page</a> today"),
              RestoreLinks(QStringLiteral("See Exam<br/>ple page today"), content));
}

TEST(MsgTextLayout, OddAnchorsLeaveTheTextAlone)
{
    const QString folded = QStringLiteral("One line<br/>two &amp; three");
    // An anchor without text, an anchor never closed, a link text found in the markup only.
    EXPECT_EQ(folded, RestoreLinks(folded, QStringLiteral("<a href=\"x\"><img src=\"y\"/></a>")));
    EXPECT_EQ(folded, RestoreLinks(folded, QStringLiteral("<a href=\"x\">One line")));
    EXPECT_EQ(folded, RestoreLinks(folded, QStringLiteral("<a href=\"x\">br</a> <a href=\"y\">amp</a>")));
    // Text that HTML escapes is found in its escaped form.
    EXPECT_EQ(QStringLiteral("One line<br/>two <a href=\"z\">&amp;</a> three"),
              RestoreLinks(folded, QStringLiteral("<a href=\"z\">&amp;</a>")));
}

TEST(MsgTextLayout, ALinkIsNotLookedForInsideAnotherOne)
{
    const QString content = QStringLiteral("<a href=\"https://a.example/\">example</a> and <a href=\"https://b/\">a</a>");
    EXPECT_EQ(QStringLiteral("<a href=\"https://a.example/\">example</a> <a href=\"https://b/\">a</a>nd"),
              RestoreLinks(QStringLiteral("example and"), content));
    // A later anchor with the same text wins.
    EXPECT_EQ(QStringLiteral("<a href=\"2\">go</a>"),
              RestoreLinks(QStringLiteral("go"), QStringLiteral("<a href=\"1\">go</a><a href=\"2\">go</a>")));
}

} // namespace
