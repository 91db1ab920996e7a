// A check box drawn from the kit's pictures, one per check state (unchecked, partly, checked).
#pragma once

#include <QCheckBox>

class CCheckBox : public QCheckBox {
    Q_OBJECT
public:
    explicit CCheckBox(const QString& text, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};
