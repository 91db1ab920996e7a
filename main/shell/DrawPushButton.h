// A push button with a red count badge at its top-right corner (none below 1, "99+" above 99).
#pragma once

#include <QPushButton>

class CDrawPushButton : public QPushButton {
    Q_OBJECT
public:
    CDrawPushButton(int count, QWidget* parent);

    void SetCount(int count);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int count_;
};
