#include "ToolTipText.h"

#include "kit/KitFont.h"

QString ToolTipText(const QString& text)
{
    return QStringLiteral("<font face = %1><p style=\"font-size:12px\">%2</p></font>")
        .arg(KitFontFamily(), text.toHtmlEscaped());
}
