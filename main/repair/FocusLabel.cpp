#include "FocusLabel.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>

namespace {

constexpr int ICON_TEXT_GAP = 8;

} // namespace

CFocusLabel::CFocusLabel(const QString& text, QWidget* parent) : QWidget(parent)
{
    setFixedHeight(48);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(10, 0, 0, 0);
    m_label = new QLabel(text, this);
    m_label->setFixedHeight(25);
    m_label->setStyleSheet(QStringLiteral("font-size:14px;"));
    m_label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    layout->addWidget(m_label);
    m_label->installEventFilter(this);
}

void CFocusLabel::SetIconPath(const QString& path) { m_iconPath = path; }

void CFocusLabel::SetGroup(const QList<CFocusLabel*>& group) { m_group = group; }

void CFocusLabel::SetText(const QString& text)
{
    if (m_label)
        m_label->setText(text);
}

QString CFocusLabel::GetText() const { return m_label ? m_label->text() : QString(); }

void CFocusLabel::SetFocused(bool focused)
{
    if (focused == m_bFocused)
        return;
    m_bFocused = focused;
    if (focused)
        for (CFocusLabel* other : m_group)
            if (other && other != this)
                other->SetFocused(false);
    update();
    if (focused)
        emit FocusChanged(this);
}

void CFocusLabel::mouseReleaseEvent(QMouseEvent*) { SetFocused(true); }

void CFocusLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setPen(Qt::NoPen);
    painter.setBrush(m_bFocused ? m_focusedBackground : m_normalBackground);
    painter.drawRect(rect());
    if (m_label)
        m_label->setFixedWidth(width());
}

// The row paints its label itself: its background, the icon and the text in the row's colours.
bool CFocusLabel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_label || event->type() != QEvent::Paint)
        return QWidget::eventFilter(watched, event);
    QPainter painter(m_label);
    painter.setPen(Qt::NoPen);
    painter.setBrush(m_bFocused ? m_focusedBackground : m_normalBackground);
    painter.drawRect(m_label->rect());
    int textLeft = 0;
    if (!m_iconPath.isEmpty()) {
        const QPixmap icon(m_iconPath);
        painter.drawPixmap(0, (m_label->height() - icon.height()) / 2, icon);
        textLeft = icon.width() + ICON_TEXT_GAP;
    }
    painter.setPen(m_bFocused ? m_focusedText : m_normalText);
    const QFontMetrics metrics(m_label->font());
    painter.setFont(m_label->font());
    painter.drawText(textLeft, (m_label->height() - metrics.height()) / 2 + metrics.ascent(), m_label->text());
    return true;
}
