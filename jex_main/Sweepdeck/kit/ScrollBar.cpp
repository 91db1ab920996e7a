#include "ScrollBar.h"

#include "ScrollBarStyle.h"

#include <QPainter>
#include <QPolygon>
#include <QStyleOptionSlider>

CScrollBar::CScrollBar(Qt::Orientation orientation, QWidget* parent) : QScrollBar(orientation, parent)
{
    auto* style = new CScrollBarStyle;
    style->setParent(this);
    style->SetThickness(10);
    setStyle(style);
    setAttribute(Qt::WA_Hover);
}

void CScrollBar::SetHandleRadius(double radiusX, double radiusY)
{
    radiusX_ = radiusX;
    radiusY_ = radiusY;
}

void CScrollBar::SetHandleColors(const QVector<QColor>& colors)
{
    handleColors_ = colors;
}

void CScrollBar::SetArrowColors(const QColor& normal, const QColor& atLimit)
{
    arrow_ = normal;
    arrowAtLimit_ = atLimit;
}

void CScrollBar::SetBackground(const QColor& background)
{
    background_ = background;
}

void CScrollBar::paintEvent(QPaintEvent*)
{
    QStyleOptionSlider option;
    initStyleOption(&option);
    option.subControls = QStyle::SC_All;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.fillRect(option.rect, background_);

    const QStyle* style = this->style()->proxy();
    const auto rectOf = [&](QStyle::SubControl control) {
        return style->subControlRect(QStyle::CC_ScrollBar, &option, control, this);
    };
    const bool horizontal = orientation() == Qt::Horizontal;

    if (option.subControls & QStyle::SC_ScrollBarAddLine) {
        const QRect r = rectOf(QStyle::SC_ScrollBarAddLine);
        QPolygon triangle;
        if (horizontal) {
            const int x = r.left() + (r.width() - 4) / 2;
            const int y = (r.height() - 8) / 2;
            triangle << QPoint(x, y) << QPoint(x, y + 8) << QPoint(x + 4, y + 4);
        } else {
            const int x = (r.width() - 8) / 2;
            const int y = r.top() + (r.height() - 4) / 2;
            triangle << QPoint(x, y) << QPoint(x + 8, y) << QPoint(x + 4, y + 4);
        }
        painter.setBrush(value() == maximum() ? arrowAtLimit_ : arrow_);
        painter.drawPolygon(triangle);
    }
    if (option.subControls & QStyle::SC_ScrollBarSubLine) {
        const QRect r = rectOf(QStyle::SC_ScrollBarSubLine);
        QPolygon triangle;
        if (horizontal) {
            const int x = r.left() + (r.width() - 4) / 2;
            const int middle = r.top() + r.height() / 2;
            triangle << QPoint(x, middle) << QPoint(x + 4, middle - 4) << QPoint(x + 4, middle + 4);
        } else {
            // The same 4-pixel band as the down arrow, so the tip stays inside the button.
            const int x = (r.width() - 8) / 2;
            const int y = r.top() + (r.height() - 4) / 2;
            triangle << QPoint(x, y + 4) << QPoint(x + 8, y + 4) << QPoint(x + 4, y);
        }
        painter.setBrush(value() == minimum() ? arrowAtLimit_ : arrow_);
        painter.drawPolygon(triangle);
    }
    if (option.subControls & QStyle::SC_ScrollBarSlider) {
        const bool hovered = option.state & QStyle::State_MouseOver;
        painter.setBrush(handleColors_.value(hovered ? 1 : 0));
        painter.drawRoundedRect(rectOf(QStyle::SC_ScrollBarSlider), radiusX_, radiusY_);
    }
}
