// The kit's flat scroll bars for the junk lists, in the colours of the panel they sit on.
#pragma once

class QAbstractScrollArea;
class QColor;

void UseDarkScrollBars(QAbstractScrollArea* area, const QColor& panel);
