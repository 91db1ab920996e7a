// Showing and hiding child widgets without polishing them early.
#pragma once

#include <QWidget>

// Qt polishes a widget by the style sheet at once on every setVisible(true), even when the widget
// is shown already or will show with its window. Only a widget that was hidden is shown here (and
// only one that was not is hidden), so the children of a window built hidden are polished when
// that window first shows.
inline void SetVisibleOnChange(QWidget* widget, bool visible)
{
    if (widget->isHidden() == visible)
        widget->setVisible(visible);
}
