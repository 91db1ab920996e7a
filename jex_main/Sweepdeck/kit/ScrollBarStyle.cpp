#include "ScrollBarStyle.h"

CScrollBarStyle::CScrollBarStyle() : QProxyStyle()
{
}

int CScrollBarStyle::pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const
{
    if (metric == QStyle::PM_ScrollBarExtent)
        return thickness_;
    return QProxyStyle::pixelMetric(metric, option, widget);
}
