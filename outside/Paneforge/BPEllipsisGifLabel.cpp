#include "Paneforge/BPEllipsisGifLabel.h"

namespace {

constexpr int kStepMs = 400;

} // namespace

CBPEllipsisGifLabel::CBPEllipsisGifLabel(int dots, QWidget* parent) : QLabel(parent), dots_(dots)
{
    timer_.setInterval(kStepMs);
    connect(&timer_, &QTimer::timeout, this, &CBPEllipsisGifLabel::slotNextStep);
    // Room for every dot, so the row beside it does not move while the dots fill up.
    if (dots_ > 0)
        setMinimumWidth(fontMetrics().horizontalAdvance(QString(dots_, QLatin1Char('.'))));
}

bool CBPEllipsisGifLabel::ShowGifLable()
{
    if (dots_ < 1)
        return false;
    shown_ = 0;
    setText(QString());
    timer_.start();
    show();
    return true;
}

void CBPEllipsisGifLabel::HideGifLable()
{
    timer_.stop();
    hide();
}

void CBPEllipsisGifLabel::slotNextStep()
{
    shown_ = shown_ >= dots_ ? 0 : shown_ + 1;
    setText(QString(shown_, QLatin1Char('.')));
}
