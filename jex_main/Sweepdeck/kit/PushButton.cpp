#include "PushButton.h"

#include <QPainter>
#include <QStyleOptionButton>

CPushButton::CPushButton(const QString& text, QWidget* parent) : QPushButton(text, parent)
{
    Init();
}

CPushButton::CPushButton(const QIcon& icon, const QString& text, QWidget* parent) : QPushButton(icon, text, parent)
{
    Init();
}

void CPushButton::Init()
{
    setMinimumSize(120, 32);
    // Hover changes the colours, so entering and leaving must repaint.
    setAttribute(Qt::WA_Hover);
}

void CPushButton::SetBtnStyle(const CBtnStyle& style)
{
    style_ = style;
    update();
}

bool CPushButton::IsHovered() const
{
    QStyleOptionButton option;
    option.initFrom(this);
    return option.state & QStyle::State_MouseOver;
}

int CPushButton::PaintState() const
{
    // A press that began before the button was disabled still shows as pressed until it ends.
    if (pressed_)
        return 2;
    if (!isEnabled())
        return 3;
    return IsHovered() ? 1 : 0;
}

void CPushButton::mousePressEvent(QMouseEvent* event)
{
    pressed_ = true;
    QPushButton::mousePressEvent(event);
}

void CPushButton::mouseReleaseEvent(QMouseEvent* event)
{
    pressed_ = false;
    QPushButton::mouseReleaseEvent(event);
}

void CPushButton::focusOutEvent(QFocusEvent* event)
{
    pressed_ = false;
    QPushButton::focusOutEvent(event);
}

void CPushButton::paintEvent(QPaintEvent*)
{
    const int state = PaintState();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (style_.borderWidth > 0)
        painter.setPen(QPen(style_.borderColors[state], style_.borderWidth));
    else
        painter.setPen(Qt::NoPen);
    painter.setBrush(style_.bgColors[state]);
    painter.drawRoundedRect(rect(), style_.borderWidth + style_.radiusX, style_.borderWidth + style_.radiusY,
                            Qt::AbsoluteSize);

    QFont font(this->font());
    if (style_.fontPixelSize > 0)
        font.setPixelSize(style_.fontPixelSize);
    font.setFamily(style_.fontFamily);
    painter.setFont(font);
    painter.setPen(style_.textColors[state]);
    painter.drawText(rect(), Qt::AlignCenter, text());
}
