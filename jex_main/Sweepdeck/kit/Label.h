// A label on a background colour of its own.
#pragma once

#include <QColor>
#include <QLabel>

class CLabel : public QLabel {
    Q_OBJECT
public:
    CLabel(const QString& text, const QColor& background);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor background_;
};
