// The animated tool tile of the home page: on hover it rises, a highlight sweeps across it and
// its icon dips and turns into the hover icon.
#pragma once

#include <QParallelAnimationGroup>
#include <QPixmap>
#include <QStringList>
#include <QWidget>

class _CBtWidget : public QWidget {
    Q_OBJECT
public:
    _CBtWidget(int index, QWidget* parent);

    void SetText(const QString& text);
    // [0] the mask bitmap (the tile's shape), [1] the sweep highlight, [2] the normal icon,
    // [3] the hover icon; fewer than four entries change nothing.
    void SetImages(const QStringList& images);

signals:
    void clicked(int index);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void BuildAnimation();
    void AddValueAnimation(int end, void (_CBtWidget::*apply)(double));
    void ApplySweep(double v);
    void ApplyScale(double v);
    void ApplyOpacity(double v);

    QPixmap highlight_;
    QPixmap normal_;
    QPixmap hover_;
    QString text_;
    QParallelAnimationGroup* group_;
    bool hovered_ = false;
    int highlightX_ = 126;
    double hoverOpacity_ = 0;
    double iconScale_ = 1.0;
    int index_;
};
