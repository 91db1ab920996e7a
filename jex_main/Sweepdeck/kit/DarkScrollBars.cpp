#include "DarkScrollBars.h"

#include "ScrollBar.h"

#include <QAbstractScrollArea>

void UseDarkScrollBars(QAbstractScrollArea* area, const QColor& panel)
{
    for (Qt::Orientation orientation : {Qt::Vertical, Qt::Horizontal}) {
        auto* bar = new CScrollBar(orientation, area);
        bar->SetBackground(panel);
        bar->SetHandleColors({QColor("#3a4256"), QColor("#4f5a73")});
        bar->SetArrowColors(QColor("#6f788b"), QColor("#3a4256"));
        if (orientation == Qt::Vertical)
            area->setVerticalScrollBar(bar);
        else
            area->setHorizontalScrollBar(bar);
    }
}
