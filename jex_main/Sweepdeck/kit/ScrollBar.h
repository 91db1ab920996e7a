// A flat owner-drawn scroll bar: a rounded handle, small triangle arrows that dim at the limits.
#pragma once

#include <QColor>
#include <QScrollBar>
#include <QVector>

class CScrollBar : public QScrollBar {
    Q_OBJECT
public:
    CScrollBar(Qt::Orientation orientation, QWidget* parent = nullptr);

    // The setters store; the next paint shows the change.
    void SetHandleRadius(double radiusX, double radiusY);
    // Entry 0 normal, 1 while the mouse is over the bar.
    void SetHandleColors(const QVector<QColor>& colors);
    void SetArrowColors(const QColor& normal, const QColor& atLimit);
    void SetBackground(const QColor& background);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QVector<QColor> handleColors_{QColor(182, 182, 182), QColor(106, 106, 106), QColor(182, 182, 182),
                                  QColor(182, 182, 182)};
    QColor arrow_{34, 34, 34};
    QColor arrowAtLimit_{182, 182, 182};
    QColor background_{246, 252, 255};
    double radiusX_ = 3.0;
    double radiusY_ = 3.0;
};
