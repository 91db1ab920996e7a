#include "RichText.h"

QString AsRichText(const QString& plain)
{
    return QStringLiteral("<span style=\"white-space:pre-wrap\">%1</span>").arg(plain.toHtmlEscaped());
}
