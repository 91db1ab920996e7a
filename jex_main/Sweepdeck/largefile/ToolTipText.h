// The rich text of the clean-up lists' and tiles' tooltips.
#pragma once

#include <QString>

// The text, escaped, in the kit's font at 12 pixels.
QString ToolTipText(const QString& text);
