// Pictures, icons and animations of the machine for Qt code: each file is read whole through the
// layer (see MachineFile.h) and decoded from memory. A file larger than
// machine_file::kLargestPicture is a damaged picture, and Qt's own limit on the size of a decoded
// image holds for the rest. A picture that cannot be read is a null one, as Qt's loading by name
// gives for a missing file.
#pragma once

#include <QBitmap>
#include <QIcon>
#include <QImage>
#include <QMovie>
#include <QPixmap>
#include <QString>

// The picture in the file; any thread.
QImage ReadPicture(const QString& windowsPath);

// The same as a pixmap, decoded once for as long as the file stays the same file with the same
// size and time; Qt's pixmaps and their cache are the GUI thread's alone.
QPixmap CachedPicture(const QString& windowsPath);
// The shape of that picture's opaque pixels, made once too.
QBitmap CachedMask(const QString& windowsPath);

// Every picture in the file as one icon: each size an .ico file holds, in its best depth.
QIcon ReadIcon(const QString& windowsPath);

// The animation in the file, played from memory; a movie that shows nothing when the file cannot
// be read.
QMovie* OpenMovie(const QString& windowsPath, QObject* parent);
