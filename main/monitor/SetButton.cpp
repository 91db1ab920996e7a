#include "SetButton.h"

#include <QPainter>

CSetButton::CSetButton(const QString& text, QWidget* parent) : QPushButton(parent), text_(text)
{
}

void CSetButton::SetSelected(bool selected)
{
    selected_ = selected;
    update();
}

void CSetButton::enterEvent(QEvent* event)
{
    hover_ = true;
    update();
    QPushButton::enterEvent(event);
}

void CSetButton::leaveEvent(QEvent* event)
{
    hover_ = false;
    update();
    QPushButton::leaveEvent(event);
}

void CSetButton::paintEvent(QPaintEvent*)
{
    const char* background = selected_ ? "#20242f" : hover_ ? "#2F3647" : "#272d3b";
    const char* textColor = selected_ ? "#c6d6f0" : "#7e93b1";
    QPainter painter(this);
    painter.fillRect(rect(), QColor(QLatin1String(background)));
    QFont font(QStringLiteral("Segoe UI"));
    font.setPixelSize(16);
    painter.setFont(font);
    painter.setPen(QColor(QLatin1String(textColor)));
    painter.drawText(rect().translated(16, 0), Qt::AlignVCenter | Qt::AlignLeft, text_);
}
