// Laying out a message's text for its card in the message pop-up: the plain text of the HTML
// content, its lines at a given width, and the folded text with the message's links kept.
#pragma once

#include <QFontMetrics>
#include <QString>
#include <QStringList>

namespace msg_text {

// The text the HTML shows, with line breaks as "\n".
QString PlainTextOf(const QString& html);

// The lines the plain text takes at the width: it breaks at every line feed and "<br/>" form,
// then each piece at the last blank that still fits (or, without one, after the last character
// that fits). Every line holds at least one character, so a zero width or a glyph wider than the
// line still ends.
QStringList WrapLines(const QString& text, const QFontMetrics& metrics, int width);

// Rich text of the folded lines (escaped plain text joined with "<br/>", possibly ending in a
// shortened line) with every link of the HTML content put back where its text, a shortened form
// of it ending in an ellipsis, or a form broken by "<br/>" shows.
QString RestoreLinks(const QString& foldedText, const QString& contentHtml);

} // namespace msg_text
