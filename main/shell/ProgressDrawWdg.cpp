#include "ProgressDrawWdg.h"

#include <QConicalGradient>
#include <QPainter>

CProgressDrawWdg::CProgressDrawWdg(QWidget* parent) : QWidget(parent)
{
}

void CProgressDrawWdg::SetValue(int percent)
{
    percent_ = qBound(0, percent, 100);
    update();
}

void CProgressDrawWdg::paintEvent(QPaintEvent*)
{
    const int angle = percent_ * 360 / 100;
    const double f = angle / 360.0;
    const QColor track(47, 54, 71);
    const QColor background(32, 36, 47);

    QPainter painter(this);
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    painter.fillRect(rect(), background);
    painter.translate(width() / 2, height() / 2);
    painter.rotate(-90);

    QConicalGradient ring(0, 0, 0);
    ring.setColorAt(0, track);
    // A stop at a taken position replaces the one there, so an empty share has no coloured stops.
    if (f > 0) {
        ring.setColorAt(1 - f, track);
        ring.setColorAt(1 - 0.73 * f, QColor(244, 60, 90));
        ring.setColorAt(1 - 0.63 * f, QColor(253, 143, 56));
        ring.setColorAt(1 - 0.27 * f, QColor(253, 143, 56));
        ring.setColorAt(1, QColor(244, 65, 90));
    } else {
        ring.setColorAt(1, track);
    }
    painter.setBrush(ring);
    painter.drawEllipse(QPoint(0, 0), 90, 90);
    painter.setBrush(background);
    painter.drawEllipse(QPoint(0, 0), 84, 84);
    painter.setBrush(QColor(27, 31, 40));
    painter.drawEllipse(QPoint(0, 0), 75, 75);
    painter.setBrush(track);
    painter.drawEllipse(QPoint(0, 0), 63, 63);
    // The ring's rounded start at the top.
    painter.setBrush(QColor(244, 65, 90));
    painter.drawPie(QRectF(84, -3, 6, 6), 0, 180 * 16);

    painter.rotate(90);
    painter.setPen(QColor(198, 214, 240));
    QFont font = painter.font();
    font.setFamily(QStringLiteral("Segoe UI"));
    font.setPixelSize(54);
    font.setWeight(50);
    painter.setFont(font);
    painter.drawText(QRect(-44, -36, 56, 72), Qt::AlignRight | Qt::AlignVCenter | Qt::TextDontClip,
                     QStringLiteral("%1").arg(percent_));
    font.setPixelSize(27);
    font.setWeight(57);
    painter.setFont(font);
    painter.drawText(QRect(16, 0, 27, 29), Qt::AlignBottom | Qt::AlignLeft, QStringLiteral("%"));
    painter.restore();
}
