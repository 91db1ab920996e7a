// The date in the corner of a message card, which turns into a close mark while the pointer is
// over it; a click on it closes the card.
#pragma once

#include <QLabel>

class CTitleCloseLabel : public QLabel {
    Q_OBJECT
public:
    CTitleCloseLabel(const QString& text, const QString& hoverImage, QWidget* parent);

signals:
    void sigClicked();

protected:
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QString text_;
    QString hoverImage_;
};
