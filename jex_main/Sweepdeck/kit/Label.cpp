#include "Label.h"

#include "Widget.h"

CLabel::CLabel(const QString& text, const QColor& background) : QLabel(text), background_(background)
{
}

void CLabel::paintEvent(QPaintEvent* event)
{
    FillBackground(this, background_);
    QLabel::paintEvent(event);
}
