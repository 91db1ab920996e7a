// A tab button of the settings dialog, painted in three looks: selected, hovered and plain.
#pragma once

#include <QPushButton>

class CSetButton : public QPushButton {
    Q_OBJECT
public:
    CSetButton(const QString& text, QWidget* parent);

    void SetSelected(bool selected);
    bool IsSelected() const { return selected_; }

protected:
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QString text_;
    bool selected_ = false;
    bool hover_ = false;
};
