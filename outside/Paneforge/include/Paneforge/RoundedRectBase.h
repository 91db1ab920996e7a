// A widget that fills its whole rectangle with its brush, rounding the chosen corners. The style
// sheet is drawn first, so a transparent brush leaves the look to the style sheet.
#pragma once

#include <QBrush>
#include <QWidget>

class CRoundedRectBase : public QWidget {
    Q_OBJECT
public:
    CRoundedRectBase(unsigned radius, QWidget* parent, bool topLeft, bool topRight, bool bottomLeft,
                     bool bottomRight);
    ~CRoundedRectBase() override;

    void setBrush(const QBrush& brush);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QBrush brush_;
    unsigned radius_;
    bool topLeft_;
    bool topRight_;
    bool bottomLeft_;
    bool bottomRight_;
};
