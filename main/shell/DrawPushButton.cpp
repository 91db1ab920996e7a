#include "DrawPushButton.h"

#include <QPainter>

CDrawPushButton::CDrawPushButton(int count, QWidget* parent) : QPushButton(parent), count_(count)
{
}

void CDrawPushButton::SetCount(int count)
{
    count_ = count;
    update();
}

void CDrawPushButton::paintEvent(QPaintEvent* event)
{
    QPushButton::paintEvent(event);
    if (count_ < 1)
        return;
    const QString text = count_ > 99 ? QStringLiteral("%1+").arg(99) : QString::number(count_);
    const int badgeWidth = count_ > 9 ? 18 : 12;
    const QRect badge(width() - badgeWidth, 0, badgeWidth, 12);

    QPainter painter(this);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(QStringLiteral("#e02020")));
    painter.drawRoundedRect(badge, 6, 6);
    QFont font(QStringLiteral("Segoe UI"));
    font.setPixelSize(10);
    painter.setFont(font);
    painter.setPen(QColor(QStringLiteral("#ffffff")));
    painter.drawText(badge, Qt::AlignCenter, text);
    painter.restore();
}
