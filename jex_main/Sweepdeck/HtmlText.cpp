#include "HtmlText.h"

#include "kit/KitFont.h"

QString HtmlText(const QString& text, const QString& colour, int pixelSize, int weight)
{
    return QStringLiteral("<font style=\"font-family:%1; font-size: %2px; font-weight:%3; color:%4;\">%5</font>")
        .arg(KitFontFamily())
        .arg(pixelSize)
        .arg(weight)
        .arg(colour, text);
}
