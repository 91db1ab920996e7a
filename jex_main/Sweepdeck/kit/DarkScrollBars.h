// The kit's flat scroll bars for an area on one of the pages' dark panels, in the panel's colour, so
// that no light strip shows.
#pragma once

class QAbstractScrollArea;
class QColor;

void UseDarkScrollBars(QAbstractScrollArea* area, const QColor& panel);
