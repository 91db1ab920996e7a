// The rich text of the clean-up pages' header and prompt lines.
#pragma once

#include <QString>

// text in the kit's font at pixelSize with the weight and colour given. text is rich text: callers
// escape what comes from files or the user.
QString HtmlText(const QString& text, const QString& colour, int pixelSize, int weight);
