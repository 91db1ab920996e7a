#include "ScrollWnd.h"

#include "ScrollBar.h"

namespace {

// The areas sit on the pages' dark panels: bars in the panel's colour, so no light strip shows.
CScrollBar* DarkBar(Qt::Orientation orientation, QWidget* parent)
{
    auto* bar = new CScrollBar(orientation, parent);
    bar->SetBackground(QColor("#20242f"));
    bar->SetHandleColors({QColor("#3a4256"), QColor("#4f5a73")});
    bar->SetArrowColors(QColor("#6f788b"), QColor("#3a4256"));
    return bar;
}

} // namespace

CScrollWnd::CScrollWnd(QWidget* parent) : QScrollArea(parent)
{
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    setVerticalScrollBar(DarkBar(Qt::Vertical, this));
    setHorizontalScrollBar(DarkBar(Qt::Horizontal, this));
}
