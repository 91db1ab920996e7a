// A plain label in one colour and pixel size; style sheets can still restyle it by object name.
#pragma once

#include <QColor>
#include <QLabel>

class CBPLabel : public QLabel {
    Q_OBJECT
public:
    CBPLabel(const QString& text, const QColor& color, int size, QWidget* parent);
};
