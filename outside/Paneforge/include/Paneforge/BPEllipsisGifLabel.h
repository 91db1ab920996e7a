// A busy marker: a row of dots that fills up one dot at a time and starts again.
#pragma once

#include <QLabel>
#include <QTimer>

class CBPEllipsisGifLabel : public QLabel {
    Q_OBJECT
public:
    CBPEllipsisGifLabel(int dots, QWidget* parent);

    // Shows the label and starts the dots; false (and nothing shown) for a marker without dots.
    bool ShowGifLable();
    void HideGifLable();

private slots:
    void slotNextStep();

private:
    QTimer timer_;
    int dots_;
    int shown_ = 0;
};
