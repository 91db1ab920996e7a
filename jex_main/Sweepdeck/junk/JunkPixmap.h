// The clean-up pages' pictures from the resource folder "res", each read from disk once.
#pragma once

#include <QPixmap>
#include <QString>

// The picture "res\Jex\<file>" beside the program; a null pixmap when it is missing.
QPixmap JunkPixmap(const QString& file);
