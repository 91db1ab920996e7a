// The proxy style that gives the kit's scroll bars their thickness.
#pragma once

#include <QProxyStyle>

class CScrollBarStyle : public QProxyStyle {
    Q_OBJECT
public:
    CScrollBarStyle();

    void SetThickness(int thickness) { thickness_ = thickness; }
    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;

private:
    int thickness_ = 0;
};
