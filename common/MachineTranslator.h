// A translation of the machine for Qt code, read whole through the layer (see MachineFile.h) and
// kept in memory for as long as the translator lives, as Qt's translator reads it in place.
#pragma once

#include <QByteArray>
#include <QString>
#include <QTranslator>

class CMachineTranslator : public QTranslator {
public:
    using QTranslator::QTranslator;

    // Loads the translation once; false when the file cannot be read, is larger than
    // machine_file::kLargestTranslation or holds no translation.
    bool LoadFile(const QString& windowsPath);

private:
    QByteArray bytes_;
};
