#include "AppStyleSheet.h"

#include "common/MachineFile.h"

QString ReadAppStyleSheet(const QString& programFolder)
{
    if (programFolder.isEmpty())
        return {};
    QByteArray sheet;
    const QString path = programFolder + QStringLiteral("\\res\\StyleSheet.css");
    if (!machine_file::ReadWhole(path, machine_file::kLargestStyleSheet, sheet))
        return {};
    return QString::fromUtf8(sheet);
}
