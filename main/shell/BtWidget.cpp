#include "BtWidget.h"

#include "common/MachinePicture.h"

#include <QBitmap>
#include <QMouseEvent>
#include <QPainter>
#include <QPropertyAnimation>
#include <QVariantAnimation>

namespace {

const QRect kRestGeometry(0, 4, 126, 140);
const QRect kRaisedGeometry(0, 0, 126, 140);
const QPoint kIconOrigin(36, 20);
constexpr int kStartX = 126;

} // namespace

_CBtWidget::_CBtWidget(int index, QWidget* parent) : QWidget(parent), group_(new QParallelAnimationGroup(this)), index_(index)
{
    setFixedSize(kRestGeometry.size());
    BuildAnimation();
}

void _CBtWidget::BuildAnimation()
{
    auto* rise = new QPropertyAnimation(this, "geometry", group_);
    rise->setStartValue(kRestGeometry);
    rise->setEndValue(kRaisedGeometry);
    rise->setDuration(100);
    group_->addAnimation(rise);
    AddValueAnimation(350, &_CBtWidget::ApplySweep);
    AddValueAnimation(300, &_CBtWidget::ApplyScale);
    AddValueAnimation(290, &_CBtWidget::ApplyOpacity);
}

// A value running from 0 to end in end milliseconds, applied to the tile at every step.
void _CBtWidget::AddValueAnimation(int end, void (_CBtWidget::*apply)(double))
{
    auto* animation = new QVariantAnimation(group_);
    animation->setStartValue(0.0);
    animation->setEndValue(double(end));
    animation->setDuration(end);
    connect(animation, &QVariantAnimation::valueChanged, this, [this, apply](const QVariant& value) {
        (this->*apply)(value.toDouble());
        update();
    });
    group_->addAnimation(animation);
}

void _CBtWidget::ApplySweep(double v)
{
    if (v >= 350)
        highlightX_ = -126;
    else if (v >= 100)
        highlightX_ = 226 - int(v);
}

void _CBtWidget::ApplyScale(double v)
{
    if (v > 220)
        iconScale_ = 0.8 + (v - 220) / 80 * 0.2;
    else if (v >= 150)
        iconScale_ = 1 - (v - 150) / 70 * 0.2;
}

void _CBtWidget::ApplyOpacity(double v)
{
    if (v >= 220)
        hoverOpacity_ = (v - 220) / 70;
}

void _CBtWidget::SetText(const QString& text)
{
    text_ = text;
    update();
}

void _CBtWidget::SetImages(const QStringList& images)
{
    if (images.size() < 4)
        return;
    setMask(CachedMask(images.at(0)));
    highlight_ = CachedPicture(images.at(1));
    normal_ = CachedPicture(images.at(2));
    hover_ = CachedPicture(images.at(3));
    update();
}

void _CBtWidget::mouseReleaseEvent(QMouseEvent* event)
{
    if (rect().contains(event->pos()))
        emit clicked(index_);
}

void _CBtWidget::enterEvent(QEvent*)
{
    hovered_ = true;
    if (group_->state() != QAbstractAnimation::Running) {
        highlightX_ = kStartX;
        iconScale_ = 1.0;
        hoverOpacity_ = 0;
        group_->start();
    }
    update();
}

void _CBtWidget::leaveEvent(QEvent*)
{
    hovered_ = false;
    group_->stop();
    setGeometry(kRestGeometry);
    update();
}

void _CBtWidget::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(QStringLiteral("#272d3b")));
    if (!hovered_) {
        painter.drawPixmap(kIconOrigin, normal_);
    } else {
        painter.drawPixmap(highlightX_, 0, highlight_);
        const QPixmap normal = normal_.scaledToWidth(int(normal_.width() * iconScale_), Qt::FastTransformation);
        const QPixmap hover = hover_.scaledToWidth(int(hover_.width() * iconScale_), Qt::FastTransformation);
        // Both scaled icons sit where the scaled normal icon is centred on the unscaled one.
        const QPoint at = kIconOrigin
                          + QPoint((normal_.width() - normal.width()) / 2, (normal_.height() - normal.height()) / 2);
        painter.drawPixmap(at, normal);
        painter.setOpacity(hoverOpacity_);
        painter.drawPixmap(at, hover);
        painter.setOpacity(1);
    }
    QFont font(QStringLiteral("Segoe UI"));
    font.setPixelSize(14);
    painter.setFont(font);
    painter.setPen(QColor(QStringLiteral("#c6d6f0")));
    painter.drawText(QRect(12, 88, 102, 40), Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, text_);
}
