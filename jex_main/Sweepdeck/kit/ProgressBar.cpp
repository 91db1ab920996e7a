#include "ProgressBar.h"

#include <QLinearGradient>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

CProgressBar::CProgressBar(QWidget* parent) : QWidget(parent)
{
}

void CProgressBar::SetProgress(int value)
{
    progress_ = value;
    update();
}

int CProgressBar::GetProgress() const
{
    return std::clamp(progress_, 0, 100);
}

void CProgressBar::paintEvent(QPaintEvent* event)
{
    const QRectF done(0, 0, width() * GetProgress() / 100, height());
    if (done.width() > 0) {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        QLinearGradient gradient(done.topLeft(), done.topRight());
        gradient.setColorAt(0, QColor("#fd445b"));
        gradient.setColorAt(1, QColor("#fd8f38"));
        painter.setBrush(gradient);
        painter.drawRoundedRect(done, 2, 2);
    }
    event->ignore();
}
