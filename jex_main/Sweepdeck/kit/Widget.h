// A plain widget that fills itself with one colour.
#pragma once

#include <QColor>
#include <QWidget>

class CWidget : public QWidget {
    Q_OBJECT
public:
    explicit CWidget(QWidget* parent = nullptr); // red, so that a forgotten colour shows
    CWidget(const QColor& background, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor background_;
};

// Fills the whole rectangle of the painted device with one colour, no outline.
void FillBackground(QWidget* widget, const QColor& background);
