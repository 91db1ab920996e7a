#include "ScrollWnd.h"

#include "DarkScrollBars.h"

#include <QColor>

CScrollWnd::CScrollWnd(QWidget* parent) : QScrollArea(parent)
{
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    UseDarkScrollBars(this, QColor("#20242f"));
}
