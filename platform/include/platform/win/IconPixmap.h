// An icon handle as a Qt picture, under the name Qt's own Windows helper has, for code that shows
// icons the system's plug-ins hand out.
#pragma once

#include "platform/win/Icons.h"

#include <QImage>
#include <QPixmap>

#pragma GCC visibility push(default)

// A null pixmap for a null handle or one that is no live icon.
inline QPixmap qt_pixmapFromWinHICON(HICON icon)
{
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    if (!platform::IconPixels(icon, &width, &height, &pixels))
        return QPixmap();
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)]);
    return QPixmap::fromImage(image);
}

#pragma GCC visibility pop
