#include "AppStyleSheet.h"

#include "common/MachineFile.h"

QString ReadAppStyleSheet(const QString& programFolder)
{
    if (programFolder.isEmpty())
        return {};
    QByteArray sheet;
    if (!machine_file::ReadWhole(programFolder + QStringLiteral("\\res\\StyleSheet.css"), machine_file::kLargestStyleSheet,
                                 sheet))
        return {};
    return QString::fromUtf8(sheet);
}
