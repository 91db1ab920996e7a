// The machine's mounted volumes as Qt's storage information lists them on Windows: one per drive
// letter in use, A: to Z:, with the root path in Qt's form ("E:/") and the volume's label. Qt on
// Linux would list the host's mounts instead, so the list is taken from the layer.
#pragma once

#include <QList>
#include <QString>

struct MountedVolume_ {
    QString rootPath;   // "E:/"
    QString name;       // the label; empty when it has none or cannot be read
};

QList<MountedVolume_> MountedVolumes();
