#include "Widget.h"

#include <QPainter>

void FillBackground(QWidget* widget, const QColor& background)
{
    QPainter painter(widget);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(background);
    painter.drawRect(widget->rect());
}

CWidget::CWidget(QWidget* parent) : CWidget(QColor(255, 0, 0), parent)
{
}

CWidget::CWidget(const QColor& background, QWidget* parent) : QWidget(parent), background_(background)
{
    setContentsMargins(0, 0, 0, 0);
}

void CWidget::paintEvent(QPaintEvent*)
{
    FillBackground(this, background_);
}
