#include "HomeLargeBtn.h"

#include "KitFont.h"
#include "ResPicture.h"

#include <QPainter>
#include <QPixmap>

namespace {

// The caption as drawn: one line per piece between runs of two blanks; the stored caption keeps them.
QString DrawnCaption(const QString& caption)
{
    QString drawn;
    for (const QString& piece : caption.split(QStringLiteral("  "), Qt::SkipEmptyParts))
        drawn += piece + QLatin1Char('\n');
    return drawn;
}

} // namespace

CHomeLargeBtn::CHomeLargeBtn(const QString& caption, const QString& imagePath)
    : CPushButton(QString(), nullptr), caption_(caption), image_(LoadPicture(imagePath))
{
    setFixedSize(180, 180);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void CHomeLargeBtn::enterEvent(QEvent* event)
{
    CPushButton::enterEvent(event);
    emit sigEnterEvent(event);
}

void CHomeLargeBtn::leaveEvent(QEvent* event)
{
    CPushButton::leaveEvent(event);
    emit sigLeaveEvent(event);
}

void CHomeLargeBtn::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (IsHovered()) {
        painter.setPen(IsPressedFlag() ? QColor(170, 170, 170) : QColor(221, 221, 221));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }

    painter.drawPixmap((width() - image_.width()) / 2, 30, image_);

    QFont font;
    font.setFamily(KitFontFamily());
    font.setPixelSize(18);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(QColor(102, 102, 102));
    const QRect captionRect(0, image_.height() + 60, width(), height() - image_.height() - 60);
    painter.drawText(captionRect, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, DrawnCaption(caption_));
}
