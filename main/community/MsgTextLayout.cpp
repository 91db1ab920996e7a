#include "MsgTextLayout.h"

#include <QList>
#include <QMap>
#include <QRegularExpression>
#include <QTextDocument>

#include <algorithm>

namespace msg_text {

namespace {

const QChar kEllipsis(0x2026);
const QString kBreakTag = QStringLiteral("<br/>");

// How many leading characters of a non-empty text fit in the width: the longest part that fits,
// searched from an estimate by the font's average character width (so that a long text is never
// measured whole for each line), but never less than one character (or one surrogate pair).
int FittingLength(const QString& text, const QFontMetrics& metrics, int width)
{
    const int average = qMax(1, metrics.averageCharWidth());
    int length = qBound(1, qMax(width, 0) / average, text.size());
    while (length > 1 && metrics.horizontalAdvance(text.left(length)) > width)
        --length;
    while (length < text.size() && metrics.horizontalAdvance(text.left(length + 1)) <= width)
        ++length;
    if (length < text.size() && text.at(length - 1).isHighSurrogate() && text.at(length).isLowSurrogate())
        length += length > 1 ? -1 : 1;
    return length;
}

// Every anchor of the HTML, from "<a" to the next "</a>", by the text it shows; a later anchor
// showing the same text wins.
QMap<QString, QString> CollectAnchors(const QString& html)
{
    QMap<QString, QString> anchors;
    int start = html.indexOf(QLatin1String("<a"));
    while (start >= 0) {
        const int end = html.indexOf(QLatin1String("</a>"), start + 1);
        if (end < 0)
            break;
        const QString anchor = html.mid(start, end + 4 - start);
        anchors.insert(PlainTextOf(anchor), anchor);
        start = html.indexOf(QLatin1String("<a"), end + 4);
    }
    return anchors;
}

// The anchor with the rich text it shows replaced.
QString WithLinkText(const QString& anchor, const QString& linkText)
{
    const int openEnd = anchor.indexOf(QLatin1Char('>'));
    if (openEnd < 0)
        return anchor;
    return anchor.left(openEnd + 1) + linkText + QStringLiteral("</a>");
}

struct LinkForm {
    QString shown;  // the escaped text as the folded text has it
    QString anchor; // what replaces it
};

// The forms in which the folded text may show one link.
QList<LinkForm> FormsOf(const QString& plain, const QString& anchor, const QString& folded)
{
    const QString whole = plain.toHtmlEscaped();
    if (folded.contains(whole))
        return {{whole, anchor}};
    QList<LinkForm> forms;
    const int longest = qMin(plain.size() - 1, folded.size());
    for (int length = 1; length <= longest; ++length) {
        const QString shortened = (plain.left(length) + kEllipsis).toHtmlEscaped();
        if (folded.contains(shortened))
            forms.append({shortened, WithLinkText(anchor, shortened)});
    }
    for (int position = 1; position < plain.size(); ++position) {
        const QString broken = plain.left(position).toHtmlEscaped() + kBreakTag + plain.mid(position).toHtmlEscaped();
        if (folded.contains(broken))
            forms.append({broken, WithLinkText(anchor, broken)});
    }
    return forms;
}

// Length of the unit at the position that no link may start or end inside: a "<br/>" or an
// escaped character.
int UnitLength(const QString& text, int position)
{
    if (text.midRef(position).startsWith(kBreakTag))
        return kBreakTag.size();
    if (text.at(position) == QLatin1Char('&')) {
        const int end = text.indexOf(QLatin1Char(';'), position);
        if (end > position && end - position <= 8)
            return end - position + 1;
    }
    return 1;
}

} // namespace

QString PlainTextOf(const QString& html)
{
    QTextDocument document;
    document.setHtml(html);
    return document.toPlainText();
}

QStringList WrapLines(const QString& text, const QFontMetrics& metrics, int width)
{
    static const QRegularExpression kBreaks(QStringLiteral("(\\n|<{0,}br {0,}/>)"));
    QStringList lines;
    for (const QString& piece : text.split(kBreaks)) {
        QString rest = piece;
        do {
            QString line = rest.left(rest.isEmpty() ? 0 : FittingLength(rest, metrics, width));
            if (line.size() < rest.size()) {
                const int blank = line.lastIndexOf(QLatin1Char(' '));
                if (blank > 0)
                    line.truncate(blank + 1);
            }
            lines.append(line);
            rest.remove(0, line.size());
        } while (!rest.isEmpty());
    }
    return lines;
}

QString RestoreLinks(const QString& foldedText, const QString& contentHtml)
{
    QList<LinkForm> forms;
    const QMap<QString, QString> anchors = CollectAnchors(contentHtml);
    for (auto it = anchors.cbegin(); it != anchors.cend(); ++it) {
        if (!it.key().isEmpty())
            forms.append(FormsOf(it.key(), it.value(), foldedText));
    }
    // One pass from the left, so that no link is looked for inside another one put back already.
    QString result;
    int position = 0;
    while (position < foldedText.size()) {
        const QStringRef rest = foldedText.midRef(position);
        const auto hit = std::find_if(forms.cbegin(), forms.cend(),
                                      [&rest](const LinkForm& form) { return rest.startsWith(form.shown); });
        if (hit != forms.cend()) {
            result += hit->anchor;
            position += hit->shown.size();
            continue;
        }
        const int unit = UnitLength(foldedText, position);
        result += foldedText.midRef(position, unit);
        position += unit;
    }
    return result;
}

} // namespace msg_text
