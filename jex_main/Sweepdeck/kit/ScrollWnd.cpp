#include "ScrollWnd.h"

CScrollWnd::CScrollWnd(QWidget* parent) : QScrollArea(parent)
{
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
}
