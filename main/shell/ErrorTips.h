// The inline error (kind 0) or information (kind 1) line of the account pages: an icon and a
// word-wrapped message in the kind's colour.
#pragma once

#include <QLabel>
#include <QPointer>
#include <QWidget>

class CErrorTips : public QWidget {
    Q_OBJECT
public:
    CErrorTips(int kind, QWidget* parent, int minWidth, int minHeight);

    void SetText(const QString& text);
    void SetTextWidth(int width);

private:
    int kind_;
    QPointer<QLabel> icon_;
    QPointer<QLabel> text_;
};
