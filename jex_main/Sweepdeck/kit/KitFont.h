// The font every control of the kit draws its texts with.
#pragma once

#include <QFont>
#include <QString>

// The family name, passed through translation so that a language may substitute its own family.
QString KitFontFamily();

// A copy of base in the kit's family at the given pixel size.
QFont KitFont(const QFont& base, int pixelSize);
