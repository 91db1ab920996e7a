// The clean-up pages' pictures, each read from disk once.
#pragma once

#include <QPixmap>
#include <QString>

// The picture "res\Jex\<file>" beside the program; a null pixmap when it is missing.
QPixmap JunkPixmap(const QString& file);

// The picture at a host path.
QPixmap CachedPixmap(const QString& hostPath);
