#include "HtmlText.h"

#include <QCoreApplication>

QString HtmlText(const QString& text, const QString& colour, int pixelSize, int weight)
{
    return QStringLiteral("<font style=\"font-family:%1; font-size: %2px; font-weight:%3; color:%4;\">%5</font>")
        .arg(QCoreApplication::translate("CSelectScanPage", "segoe UI"), QString::number(pixelSize),
             QString::number(weight), colour, text);
}
