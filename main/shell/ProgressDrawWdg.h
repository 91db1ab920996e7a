// The round gauge of the home page: a ring coloured clockwise from the top for the used share of
// the system partition, with the percentage in its middle.
#pragma once

#include <QWidget>

class CProgressDrawWdg : public QWidget {
    Q_OBJECT
public:
    explicit CProgressDrawWdg(QWidget* parent);

    // Values outside 0..100 are taken as the nearest end.
    void SetValue(int percent);
    int Value() const { return percent_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int percent_ = 0;
};
