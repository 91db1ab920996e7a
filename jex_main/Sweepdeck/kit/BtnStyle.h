// The look of an owner-drawn push button, copied by value. Colours are indexed by button state:
// 0 normal, 1 hovered, 2 pressed, 3 disabled.
#pragma once

#include "KitFont.h"

#include <QColor>
#include <QString>

#include <array>

using BtnColors = std::array<QColor, 4>;

struct CBtnStyle {
    BtnColors textColors{QColor("#1b1f28"), QColor("#1b1f28"), QColor("#1B1F28"), QColor("#8B9199")};
    BtnColors borderColors{QColor("#1be1d0"), QColor(120, 185, 255), QColor(94, 148, 204), QColor(167, 203, 243)};
    BtnColors bgColors{QColor("#1be1d0"), QColor("#1BFFEB"), QColor("#1DB1A4"), QColor("#46494D")};
    int fontPixelSize = 16;
    QString fontFamily = KitFontFamily();
    int radiusX = 16;
    int radiusY = 16;
    int borderWidth = 0; // 0: no border line
};
