// The one way the clean-up library reads its pictures. A picture that cannot be read is named in
// the log (once per path), so a wrong folder or a missing file never goes unnoticed.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

// The picture at a Windows path of the machine (as GetResPath gives it), read from disk once; a
// null pixmap when it cannot be read.
QPixmap LoadPicture(const QString& windowsPath);

// The picture "res\Jex\<file>" beside the program.
QPixmap ResPicture(const QString& file);

// The same picture as an icon (an empty icon when it cannot be read).
QIcon ResIcon(const QString& file);

// A button icon of four pictures "<stem>_nomal.png", "_hover.png", "_press.png" and "_disable.png"
// for the normal, active, selected and disabled modes.
QIcon ResStatesIcon(const QString& stem);

// The picture "res\Jex\<file>" as a style sheet's url(...), checked like any other picture.
QString ResPictureUrl(const QString& file);
