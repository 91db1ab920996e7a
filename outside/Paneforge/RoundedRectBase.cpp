#include "Paneforge/RoundedRectBase.h"

#include <QPainter>
#include <QPainterPath>
#include <QStyleOption>

#include <algorithm>

CRoundedRectBase::CRoundedRectBase(unsigned radius, QWidget* parent, bool topLeft, bool topRight,
                                   bool bottomLeft, bool bottomRight)
    : QWidget(parent), brush_(Qt::NoBrush), radius_(radius), topLeft_(topLeft), topRight_(topRight),
      bottomLeft_(bottomLeft), bottomRight_(bottomRight)
{
}

CRoundedRectBase::~CRoundedRectBase() = default;

void CRoundedRectBase::setBrush(const QBrush& brush)
{
    brush_ = brush;
    update();
}

void CRoundedRectBase::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QStyleOption option;
    option.initFrom(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);

    const QRectF box = rect();
    const qreal r = std::min<qreal>(radius_, std::min(box.width(), box.height()) / 2);
    const qreal d = 2 * r;
    const qreal left = box.left(), top = box.top(), right = box.right(), bottom = box.bottom();

    // Clockwise from the top-left corner; a corner that is not rounded stays square.
    QPainterPath path;
    path.moveTo(left + (topLeft_ ? r : 0), top);
    path.lineTo(right - (topRight_ ? r : 0), top);
    if (topRight_)
        path.arcTo(QRectF(right - d, top, d, d), 90, -90);
    path.lineTo(right, bottom - (bottomRight_ ? r : 0));
    if (bottomRight_)
        path.arcTo(QRectF(right - d, bottom - d, d, d), 0, -90);
    path.lineTo(left + (bottomLeft_ ? r : 0), bottom);
    if (bottomLeft_)
        path.arcTo(QRectF(left, bottom - d, d, d), 270, -90);
    path.lineTo(left, top + (topLeft_ ? r : 0));
    if (topLeft_)
        path.arcTo(QRectF(left, top, d, d), 180, -90);
    path.closeSubpath();

    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(brush_);
    painter.drawPath(path);
}
