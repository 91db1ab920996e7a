#include "MsgPopWindow.h"
#include "MsgPopWndItem.h"
#include "PageTestSupport.h"
#include "TitleCloseLabel.h"

#include "platform/Machine.h"
#include "platform/Windows.h"
#include "support/TempMachine.h"

#include <QApplication>
#include <QDesktopServices>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSpacerItem>
#include <QTextEdit>
#include <QUrl>
#include <gtest/gtest.h>

// Takes the place of the desktop's URL handler, so that nothing opens.
class CUrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;

public slots:
    void Open(const QUrl& url) { opened.append(url); }
};

namespace {

using page_test::Press;
using page_test::Release;

CMsgItemInfo Message(qint64 id, const QString& content, const QString& title = QStringLiteral("Title"))
{
    return CMsgItemInfo(id, title, content, QDate::currentDate(), 0);
}

// Lines short enough to never wrap, joined as the server sends them.
QString Lines(int count)
{
    QStringList lines;
    for (int i = 1; i <= count; ++i)
        lines << QStringLiteral("Line %1").arg(i);
    return lines.join(QStringLiteral("<br />"));
}

class MsgPopWindowTest : public testing::Test {
protected:
    MsgPopWindowTest() : window_(QStringLiteral("Message"), nullptr)
    {
        window_.setFixedSize(360, 390);
        for (const char* scheme : {"http", "https", "mailto", "file", "javascript", "ftp"})
            QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), &urls_, "Open");
    }

    ~MsgPopWindowTest() override
    {
        for (const char* scheme : {"http", "https", "mailto", "file", "javascript", "ftp"})
            QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
    }

    QLayout* CardLayout() const { return window_.findChild<QWidget*>(QStringLiteral("PopMsgContentWidget"))->layout(); }

    // The cards in the layout, in display order.
    QList<CMsgPopWndItem*> Cards() const
    {
        QList<CMsgPopWndItem*> cards;
        QLayout* layout = CardLayout();
        for (int i = 0; i < layout->count(); ++i) {
            if (auto* card = qobject_cast<CMsgPopWndItem*>(layout->itemAt(i)->widget()))
                cards.append(card);
        }
        return cards;
    }

    int Spacers() const
    {
        int spacers = 0;
        QLayout* layout = CardLayout();
        for (int i = 0; i < layout->count(); ++i)
            spacers += layout->itemAt(i)->spacerItem() ? 1 : 0;
        return spacers;
    }

    bool SpacerIsLast() const
    {
        QLayout* layout = CardLayout();
        return layout->count() > 0 && layout->itemAt(layout->count() - 1)->spacerItem() != nullptr;
    }

    static QLabel* ContentOf(CMsgPopWndItem* card)
    {
        for (QLabel* label : card->findChildren<QLabel*>()) {
            if (!qobject_cast<CTitleCloseLabel*>(label))
                return label;
        }
        return nullptr;
    }

    void Show(const QList<CMsgItemInfo>& messages)
    {
        window_.SetMsgList(messages);
        window_.ShowAt(QPoint(100, 100));
        QApplication::processEvents();
    }

    static void FlushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    CMsgPopWindow window_;
    CUrlRecorder urls_;
};

TEST_F(MsgPopWindowTest, ShowsWhereAskedAndHidesOnClose)
{
    window_.ShowAt(QPoint(40, 50));
    EXPECT_TRUE(window_.isVisible());
    EXPECT_EQ(QPoint(40, 50), window_.pos());
    emit window_.findChild<QPushButton*>(QStringLiteral("Quarnel_CloseBtn"))->released();
    EXPECT_FALSE(window_.isVisible());
}

TEST_F(MsgPopWindowTest, OneCardPerMessageInOrderAndOneTrailingSpacer)
{
    Show({Message(3, QStringLiteral("c")), Message(1, QStringLiteral("a")), Message(2, QStringLiteral("b"))});
    QList<CMsgPopWndItem*> cards = Cards();
    ASSERT_EQ(3, cards.size());
    EXPECT_EQ(3, cards[0]->GetId());
    EXPECT_EQ(1, cards[1]->GetId());
    EXPECT_EQ(2, cards[2]->GetId());
    EXPECT_EQ(1, Spacers());
    EXPECT_TRUE(SpacerIsLast());
    EXPECT_EQ(328, cards[0]->width());

    // An empty list keeps what is shown; a new list replaces it.
    window_.SetMsgList({});
    EXPECT_EQ(3, Cards().size());
    window_.SetMsgList({Message(9, QStringLiteral("z"))});
    FlushDeletes();
    cards = Cards();
    ASSERT_EQ(1, cards.size());
    EXPECT_EQ(9, cards[0]->GetId());
    EXPECT_EQ(1, window_.findChildren<CMsgPopWndItem*>().size());
    EXPECT_EQ(1, Spacers());
}

TEST_F(MsgPopWindowTest, MarkAsReadReadsEveryCardWithOneSignal)
{
    Show({Message(1, QStringLiteral("a")), Message(2, QStringLiteral("b"))});
    QSignalSpy read(&window_, &CMsgPopWindow::sigMsgRead);
    Press(window_.findChild<QLabel*>(QStringLiteral("PopMsgMarkLabel")));
    ASSERT_EQ(1, read.size());
    EXPECT_EQ(-1, read.at(0).at(0).toLongLong());
    for (CMsgPopWndItem* card : Cards())
        EXPECT_TRUE(ContentOf(card)->styleSheet().contains(QStringLiteral("color: #6f788b"))) << card->GetId();
}

TEST_F(MsgPopWindowTest, PressingACardReadsThatMessage)
{
    Show({Message(1, QStringLiteral("a")), Message(7, QStringLiteral("b"))});
    QSignalSpy read(&window_, &CMsgPopWindow::sigMsgRead);
    QList<CMsgPopWndItem*> cards = Cards();
    EXPECT_TRUE(ContentOf(cards[1])->styleSheet().contains(QStringLiteral("color: #c6d6f0")));
    Press(cards[1]);
    ASSERT_EQ(1, read.size());
    EXPECT_EQ(7, read.at(0).at(0).toLongLong());
    EXPECT_TRUE(ContentOf(cards[1])->styleSheet().contains(QStringLiteral("color: #6f788b")));
    EXPECT_TRUE(ContentOf(cards[0])->styleSheet().contains(QStringLiteral("color: #c6d6f0")));

    // A read message is shown read; showing again keeps a card read.
    CMsgItemInfo seen = Message(8, QStringLiteral("c"));
    seen.SetRead(true);
    Show({seen, Message(5, QStringLiteral("d"))});
    cards = Cards();
    EXPECT_TRUE(ContentOf(cards[0])->styleSheet().contains(QStringLiteral("#6f788b")));
    Press(cards[1]);
    window_.hide();
    window_.show();
    EXPECT_TRUE(ContentOf(cards[1])->styleSheet().contains(QStringLiteral("#6f788b")));
}

TEST_F(MsgPopWindowTest, TheCloseMarkRemovesTheCardBeforeTellingItsId)
{
    Show({Message(4, QStringLiteral("a")), Message(6, QStringLiteral("b"))});
    QList<qint64> closed;
    int cardsWhenTold = -1;
    QObject::connect(&window_, &CMsgPopWindow::sigCloseMsgItem, [&](qint64 id) {
        closed.append(id);
        cardsWhenTold = Cards().size();
    });
    Release(Cards()[0]->findChild<CTitleCloseLabel*>());
    EXPECT_EQ((QList<qint64>{4}), closed);
    EXPECT_EQ(1, cardsWhenTold);
    EXPECT_EQ(1, Spacers());
    EXPECT_TRUE(SpacerIsLast());

    // Closing the only card leaves an empty list with its one spacer.
    Release(Cards()[0]->findChild<CTitleCloseLabel*>());
    EXPECT_EQ((QList<qint64>{4, 6}), closed);
    EXPECT_TRUE(Cards().isEmpty());
    EXPECT_EQ(1, Spacers());
    EXPECT_EQ(1, CardLayout()->count());
    FlushDeletes();
    EXPECT_TRUE(window_.findChildren<CMsgPopWndItem*>().isEmpty());
}

TEST_F(MsgPopWindowTest, LosingActivationEmptiesAndHides)
{
    Show({Message(1, QStringLiteral("a")), Message(2, QStringLiteral("b"))});
    QEvent deactivate(QEvent::WindowDeactivate);
    QApplication::sendEvent(&window_, &deactivate);
    EXPECT_FALSE(window_.isVisible());
    EXPECT_TRUE(Cards().isEmpty());
    EXPECT_EQ(0, CardLayout()->count());
    FlushDeletes();
    EXPECT_TRUE(window_.findChildren<CMsgPopWndItem*>().isEmpty());

    // Deactivated twice, then filled again: still exactly one spacer.
    QApplication::sendEvent(&window_, &deactivate);
    Show({Message(3, QStringLiteral("c"))});
    EXPECT_EQ(1, Cards().size());
    EXPECT_EQ(1, Spacers());
    EXPECT_TRUE(SpacerIsLast());
}

TEST_F(MsgPopWindowTest, FourLinesShowWholeFiveFoldToFour)
{
    Show({Message(1, Lines(4)), Message(2, Lines(5))});
    QLabel* four = ContentOf(Cards()[0]);
    QLabel* five = ContentOf(Cards()[1]);
    EXPECT_FALSE(four->text().contains(QStringLiteral("Read full message")));
    EXPECT_EQ(84, four->height());
    EXPECT_EQ(288, four->width());

    EXPECT_EQ(84, five->height());
    EXPECT_TRUE(five->text().startsWith(QStringLiteral("Line 1<br/>Line 2<br/>Line 3<br/>Line 4")));
    EXPECT_FALSE(five->text().contains(QStringLiteral("Line 5")));
    EXPECT_TRUE(five->text().endsWith(
        QStringLiteral(" <a href=\"Read full message\"><span style=\"color:#ff922d;\">Read full message</span></a>")));

    // Opening shows everything and "Collapse"; nothing reaches the browser.
    emit five->linkActivated(QStringLiteral("Read full message"));
    EXPECT_TRUE(five->text().contains(QStringLiteral("Line 5")));
    EXPECT_TRUE(five->text().endsWith(
        QStringLiteral(" <a href=\"Collapse\"><span style=\"color:#ff922d;\">Collapse</span></a>")));
    EXPECT_EQ(5 * 21, five->height());
    emit five->linkActivated(QStringLiteral("Collapse"));
    EXPECT_EQ(84, five->height());
    EXPECT_TRUE(five->text().contains(QStringLiteral("Read full message")));
    EXPECT_TRUE(urls_.opened.isEmpty());
}

TEST_F(MsgPopWindowTest, ALinkCutByTheEllipsisStaysALink)
{
    const QString link = QStringLiteral("<a href=\"https://example.org/notes\">ReleaseNotesForTheVeryLatestVersionOfQuarnel"
                                        "WithEverythingThatChanged</a>");
    Show({Message(1, Lines(3) + QStringLiteral("<br />") + link + QStringLiteral("<br />The end"))});
    const QString text = ContentOf(Cards()[0])->text();
    const QRegularExpression shortened(
        QStringLiteral("<a [^>]*href=\"https://example.org/notes\">ReleaseNotes[A-Za-z]*\u2026</a>"));
    EXPECT_TRUE(shortened.match(text).hasMatch()) << text.toStdString();
}

TEST_F(MsgPopWindowTest, OnlyWebAndMailLinksOpen)
{
    Show({Message(1, QStringLiteral("a"))});
    QLabel* content = ContentOf(Cards()[0]);
    for (const char* link : {"https://example.org/a", "http://example.org/b", "mailto:team@example.org",
                             "file:///etc/passwd", "javascript:alert(1)", "ftp://example.org/c", "http:nohost",
                             "not a url", ""})
        emit content->linkActivated(QString::fromLatin1(link));
    ASSERT_EQ(3, urls_.opened.size());
    EXPECT_EQ(QUrl(QStringLiteral("https://example.org/a")), urls_.opened[0]);
    EXPECT_EQ(QUrl(QStringLiteral("http://example.org/b")), urls_.opened[1]);
    EXPECT_EQ(QUrl(QStringLiteral("mailto:team@example.org")), urls_.opened[2]);
}

TEST_F(MsgPopWindowTest, TheDateTurnsIntoTheCloseMarkUnderThePointer)
{
    platform::SetProgramFolder(testing_support::BuildProgramFolder());
    ASSERT_TRUE(SetCurrentDirectoryW(platform::Machine().programFolder.c_str()));
    Show({Message(1, QStringLiteral("a"))});
    auto* date = Cards()[0]->findChild<CTitleCloseLabel*>();
    ASSERT_NE(nullptr, date);
    EXPECT_EQ(QStringLiteral("PopMsgItemTitleCloseLabel"), date->objectName());
    EXPECT_EQ(QDate::currentDate().toString(QStringLiteral("MM.dd")), date->text());
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(date, &enter);
    EXPECT_FALSE(date->pixmap(Qt::ReturnByValue).isNull());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(date, &leave);
    EXPECT_EQ(QDate::currentDate().toString(QStringLiteral("MM.dd")), date->text());
}

TEST_F(MsgPopWindowTest, TheTitleGetsTheLinesItNeeds)
{
    Show({Message(1, QStringLiteral("a"), QStringLiteral("Short")),
          Message(2, QStringLiteral("b"), QStringLiteral("A rather long title that certainly needs more than a "
                                                         "single line beside the date"))});
    auto* shortTitle = Cards()[0]->findChild<QTextEdit*>();
    auto* longTitle = Cards()[1]->findChild<QTextEdit*>();
    EXPECT_EQ(QSize(248, 21), shortTitle->size());
    EXPECT_EQ(248, longTitle->width());
    EXPECT_GE(longTitle->height(), 42);
    EXPECT_EQ(0, longTitle->height() % 21);
}

// Texts that could make the layout loop: a style attribute never closed, links without text or
// end, and no room at all.
TEST_F(MsgPopWindowTest, HostileTextAndNoRoomStillShow)
{
    Show({Message(1, QStringLiteral("Hello <span style=\"color:red>world and more text<br />") + Lines(6))});
    EXPECT_TRUE(ContentOf(Cards()[0])->text().contains(QStringLiteral("Hello")));

    window_.setFixedSize(20, 390);
    Show({Message(2, QString(400, QLatin1Char('w')) + QStringLiteral(" <a href=\"https://x/\">link</a>")),
          Message(3, QStringLiteral("<a href=\"https://x/\"></a><a href=\"https://y/\">")
                         + QString(300, QLatin1Char('y')))});
    QList<CMsgPopWndItem*> cards = Cards();
    ASSERT_EQ(2, cards.size());
    EXPECT_EQ(0, cards[0]->width());
    EXPECT_EQ(84, ContentOf(cards[0])->height());
    EXPECT_EQ(84, ContentOf(cards[1])->height());
}

} // namespace

#include "MsgPopWindowTest.moc"
