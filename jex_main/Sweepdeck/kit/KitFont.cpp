#include "KitFont.h"

#include <QCoreApplication>

QString KitFontFamily()
{
    return QCoreApplication::translate("Sweepdeck", "segoe UI");
}

QFont KitFont(const QFont& base, int pixelSize)
{
    QFont font(base);
    font.setFamily(KitFontFamily());
    font.setPixelSize(pixelSize);
    return font;
}
