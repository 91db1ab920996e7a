#include "MsgPopWndItem.h"

#include "Language.h"
#include "MsgTextLayout.h"
#include "TitleCloseLabel.h"

#include <QBoxLayout>
#include <QDesktopServices>
#include <QEvent>
#include <QPainter>
#include <QUrl>

namespace {

constexpr int kLineHeight = 21;
constexpr int kFoldedLines = 4;
constexpr int kTextPixelSize = 14;
// Room the card keeps beside the title (for the date) and beside the content, and the pop-up's
// side margins that the card leaves free.
constexpr int kTitleInset = 80;
constexpr int kContentInset = 40;
constexpr int kCardInset = 32;

const char kHoverImage[] = "./res/ico-message_item_close.png";

QFont PixelFont(const QString& family)
{
    QFont font(family);
    font.setPixelSize(kTextPixelSize);
    return font;
}

// The metrics the folded and open forms measure their own link and the shortened line with.
QFontMetrics LinkMetrics()
{
    return QFontMetrics(PixelFont(GetLangFontFamily(FONT_NORMAL)));
}

// The trailing link of the folded and open forms; the label reports its text as the link.
QString FoldLink(const QString& text)
{
    return QStringLiteral(" <a href=\"%1\"><span style=\"color:#ff922d;\">%1</span></a>").arg(text.toHtmlEscaped());
}

// Links from the server open in the desktop's handler only when they lead to a web page or a
// mail address.
void OpenServerLink(const QString& link)
{
    const QUrl url(link);
    if (!url.isValid())
        return;
    const QString scheme = url.scheme().toLower();
    const bool web = (scheme == QLatin1String("http") || scheme == QLatin1String("https")) && !url.host().isEmpty();
    if (web || scheme == QLatin1String("mailto"))
        QDesktopServices::openUrl(url);
}

} // namespace

CMsgPopWndItem::CMsgPopWndItem(const CMsgItemInfo& info, QWidget* parent)
    : QWidget(parent), background_(QStringLiteral("#222833")), textColor_(QStringLiteral("#c6d6f0")), info_(info),
      title_(new QTextEdit(this)), content_(new QLabel(this))
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(16, 10, 16, 10);

    auto* top = new QHBoxLayout();
    top->setContentsMargins(0, 0, 0, 0);
    top->addWidget(title_, 0, Qt::AlignLeft | Qt::AlignVCenter);
    auto* date = new CTitleCloseLabel(info_.GetDateText(), QString::fromLatin1(kHoverImage), this);
    connect(date, &CTitleCloseLabel::sigClicked, this, &CMsgPopWndItem::sigCloseItem);
    top->addWidget(date, 0, Qt::AlignRight | Qt::AlignVCenter);
    column->addLayout(top);

    title_->setText(info_.GetTitle());
    title_->setContentsMargins(0, 0, 0, 0);
    title_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    title_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    title_->setFrameShape(QFrame::NoFrame);
    title_->setTextInteractionFlags(Qt::NoTextInteraction);
    title_->document()->setDocumentMargin(0);

    content_->setText(info_.GetContent());
    content_->setWordWrap(true);
    content_->setTextFormat(Qt::RichText);
    content_->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    connect(content_, &QLabel::linkActivated, this, &CMsgPopWndItem::slotLinkActived);
    column->addWidget(content_);
    column->addItem(new QSpacerItem(0, 0, QSizePolicy::Minimum, QSizePolicy::Expanding));

    SetColors(false);
    installEventFilter(this);
    if (parent)
        setFixedWidth(qMax(0, parent->width() - kCardInset));
}

void CMsgPopWndItem::MarkRead()
{
    info_.SetRead(true);
    SetColors(true);
}

void CMsgPopWndItem::slotLinkActived(const QString& link)
{
    if (link.isEmpty() || !content_)
        return;
    if (link == tr("Read full message"))
        ShowOpen();
    else if (link == tr("Collapse"))
        ShowFolded();
    else
        OpenServerLink(link);
}

bool CMsgPopWndItem::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == this && event->type() == QEvent::MouseButtonPress) {
        MarkRead();
        emit sigRead();
    }
    return QWidget::eventFilter(watched, event);
}

void CMsgPopWndItem::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), background_);
}

void CMsgPopWndItem::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    FitTitle();
    SetColors(info_.IsRead());
    if (!content_)
        return;
    content_->setFixedWidth(qMax(0, width() - kContentInset));
    if (ContentLines().size() > kFoldedLines)
        ShowFolded();
    else
        ShowOpen();
}

void CMsgPopWndItem::SetColors(bool read)
{
    textColor_ = QColor(read ? QStringLiteral("#6f788b") : QStringLiteral("#c6d6f0"));
    const QString style = QStringLiteral("font-size:14px; color: %1; background-color:%2;")
                              .arg(textColor_.name(), background_.name());
    if (title_)
        title_->setStyleSheet(style);
    if (content_)
        content_->setStyleSheet(style);
    update();
}

// The title view is as tall as the lines its text needs beside the date.
void CMsgPopWndItem::FitTitle()
{
    if (!title_)
        return;
    const int width = qMax(0, this->width() - kTitleInset);
    const int textWidth = QFontMetrics(PixelFont(title_->font().family())).horizontalAdvance(title_->toPlainText());
    const int lines = (textWidth + qMax(width, 1) - 1) / qMax(width, 1);
    title_->setFixedSize(width, lines * kLineHeight);
}

QStringList CMsgPopWndItem::ContentLines()
{
    const QFontMetrics metrics(PixelFont(content_->font().family()));
    return msg_text::WrapLines(msg_text::PlainTextOf(info_.GetContent()), metrics, content_->width());
}

// The first three lines, a fourth one shortened to leave room for "Read full message", with the
// message's links kept.
void CMsgPopWndItem::ShowFolded()
{
    const QStringList lines = ContentLines();
    QString text = info_.GetContent();
    if (lines.size() > kFoldedLines - 1) {
        const QString more = tr("Read full message");
        const QFontMetrics metrics = LinkMetrics();
        const int room = content_->width() - metrics.horizontalAdvance(QStringLiteral(" %1").arg(more));
        QString folded;
        for (int i = 0; i < kFoldedLines - 1; ++i)
            folded += lines.at(i).toHtmlEscaped() + QStringLiteral("<br/>");
        folded += metrics.elidedText(lines.at(kFoldedLines - 1), Qt::ElideRight, room).toHtmlEscaped();
        text = msg_text::RestoreLinks(folded, text) + FoldLink(more);
    }
    content_->setFixedHeight(kFoldedLines * kLineHeight);
    content_->setText(text);
}

// The whole content; a long one ends in "Collapse", which may need a line of its own.
void CMsgPopWndItem::ShowOpen()
{
    const QStringList lines = ContentLines();
    QString text = info_.GetContent();
    int count = lines.size();
    if (count > kFoldedLines) {
        const QString collapse = tr("Collapse");
        const QFontMetrics metrics = LinkMetrics();
        const int room = content_->width() - metrics.horizontalAdvance(QStringLiteral(" %1").arg(collapse));
        if (metrics.elidedText(lines.last(), Qt::ElideRight, room) != lines.last())
            ++count;
        text += FoldLink(collapse);
    }
    content_->setFixedHeight(count * kLineHeight);
    content_->setText(text);
}
