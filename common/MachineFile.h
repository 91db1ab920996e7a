// The machine's files for Qt code, reached by their Windows paths through the layer: Qt is handed
// a descriptor the layer opened, never a host path to walk again, so a link, FIFO or device that
// the machine's user put at a name leads it nowhere the layer's own calls would not go.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

namespace machine_file {

// The most a file of each kind read whole may hold; a larger one is a damaged file. Far above what
// the product ships (pictures, style sheets and translations of some kilobytes), and small enough
// that a huge or sparse file at the name costs a reader little.
constexpr qint64 kLargestPicture = 8 << 20;
constexpr qint64 kLargestStyleSheet = 1 << 20;
constexpr qint64 kLargestTranslation = 8 << 20;

// Opens the file for reading. The layer opens no FIFO, socket or device, so this never blocks.
// False with errno set.
bool OpenForReading(const QString& windowsPath, QFile& file);

// The whole file, when it holds at most `largest` bytes; false with errno set otherwise (EFBIG
// when it holds more).
bool ReadWhole(const QString& windowsPath, qint64 largest, QByteArray& bytes);
// The same from a file opened by OpenForReading, from where it stands.
bool ReadWhole(QFile& file, qint64 largest, QByteArray& bytes);

// Puts the bytes in the file's place in one step: they are written under a name beside it that
// nobody can have made before, which is then renamed over the name. Whatever was at the name (a
// link, another name of a file elsewhere) is replaced, never written through; when anything fails
// it stays as it was. Drafts of the file that saves killed before their rename left beside it go.
// False with the last error set.
bool ReplaceWhole(const QString& windowsPath, const QByteArray& bytes);

} // namespace machine_file
