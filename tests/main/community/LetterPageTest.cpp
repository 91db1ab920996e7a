#include "FixPageId.h"
#include "LetterPage.h"

#include <QTextBlock>
#include <QTextDocument>
#include <gtest/gtest.h>

namespace {

// The letter can be neither selected, edited nor focused, and opens no context menu.
TEST(LetterPage, ShowsTheLetterAsTextOnly)
{
    CLetterPage page(nullptr);
    EXPECT_EQ(PAGE_LETTER, page.GetPageType());
    EXPECT_EQ(QSize(640, 330), page.size());
    auto* letter = page.findChild<QTextEdit*>(QStringLiteral("LetterTextExit"));
    ASSERT_NE(nullptr, letter);
    EXPECT_TRUE(letter->isReadOnly());
    EXPECT_FALSE(letter->isEnabled());
    EXPECT_EQ(Qt::NoContextMenu, letter->contextMenuPolicy());
    EXPECT_EQ(Qt::NoFocus, letter->focusPolicy());
}

TEST(LetterPage, OnlyTheFirstParagraphIsNotIndented)
{
    CLetterPage page(nullptr);
    const QTextDocument* document = page.findChild<QTextEdit*>()->document();
    ASSERT_EQ(6, document->blockCount());
    EXPECT_EQ(QStringLiteral("Dear user,"), document->firstBlock().text());
    EXPECT_EQ(0, document->firstBlock().blockFormat().textIndent());
    for (QTextBlock block = document->firstBlock().next(); block.isValid(); block = block.next())
        EXPECT_EQ(30, block.blockFormat().textIndent()) << block.text().toStdString();
    EXPECT_EQ(QStringLiteral("Top 10000 participants will enjoy lifetime free usage of Quarnel."),
              document->lastBlock().text());
}

} // namespace
