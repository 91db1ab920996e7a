// The main program's pictures, each decoded once per process: the title bar of every frame shows
// the same logo and every tool tile the same mask and highlight.
#pragma once

#include <QBitmap>
#include <QPixmap>
#include <QString>

// The picture in the file (a host path); a null pixmap when it cannot be read.
QPixmap SharedPicture(const QString& path);

// The shape of that picture's opaque pixels, made once per process too.
QBitmap SharedMask(const QString& path);
