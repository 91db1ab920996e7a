// A push button drawn in the kit's dark theme from its CBtnStyle, whatever the platform style.
#pragma once

#include "BtnStyle.h"

#include <QPushButton>

class CPushButton : public QPushButton {
    Q_OBJECT
public:
    explicit CPushButton(const QString& text, QWidget* parent = nullptr);
    CPushButton(const QIcon& icon, const QString& text, QWidget* parent = nullptr);

    // Replaces the whole look and repaints.
    void SetBtnStyle(const CBtnStyle& style);
    const CBtnStyle& GetBtnStyle() const { return style_; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

    // Set from a press until the release or the loss of focus.
    bool IsPressedFlag() const { return pressed_; }
    bool IsHovered() const;

private:
    void Init();
    int PaintState() const;

    CBtnStyle style_;
    bool pressed_ = false;
};
